# Sourced by the tests that sign: a test root and publishers' certificates made with openssl, as a
# publisher makes them to try signing out. test_certificates DIR makes in DIR: root.pem (the test
# root), Course.p12 (for code signing), Expired.p12 (expired yesterday), Server.p12 (for servers,
# not code), each with the root as its chain and the password in DIR/password.
test_certificates() {
  local dir=$1
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/root.key" -out "$dir/root.pem" -days 30 \
    -subj "/CN=tolOpen Test Root" -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
    2>/dev/null
  printf 'pass phrase\n' >"$dir/password"
  local name days usage
  for spec in Course:10:codeSigning Expired:-1:codeSigning Server:10:serverAuth; do
    IFS=: read -r name days usage <<<"$spec"
    openssl req -newkey rsa:2048 -nodes -keyout "$dir/$name.key" -out "$dir/$name.csr" \
      -subj "/CN=$name Publisher/O=tolOpen tests" 2>/dev/null
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$usage" >"$dir/$name.ext"
    openssl x509 -req -in "$dir/$name.csr" -CA "$dir/root.pem" -CAkey "$dir/root.key" -CAcreateserial \
      -days "$days" -extfile "$dir/$name.ext" -out "$dir/$name.pem" 2>/dev/null
    openssl pkcs12 -export -inkey "$dir/$name.key" -in "$dir/$name.pem" -certfile "$dir/root.pem" \
      -passout file:"$dir/password" -out "$dir/$name.p12"
  done
}
