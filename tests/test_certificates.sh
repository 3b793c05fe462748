# Sourced by the tests that sign: a test root and publishers' certificates made with openssl, as a
# publisher makes them to try signing out. test_certificates DIR makes in DIR: root.pem (the test
# root), Course.p12 (for code signing), Expired.p12 (expired yesterday), Server.p12 (for servers,
# not code), each with the root as its chain and the password in DIR/password; NoChain.p12 (Course's
# key and certificate without the root) and NoKey.p12 (Course's certificates without the key).
test_certificates() {
  local dir=$1
  mkdir -p "$dir"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/root.key" -out "$dir/root.pem" -days 30 \
    -subj "/CN=tolOpen Test Root" -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
    2>/dev/null
  printf 'pass phrase\n' >"$dir/password"
  local name days usage
  for certificate in Course:10:codeSigning Expired:-1:codeSigning Server:10:serverAuth; do
    IFS=: read -r name days usage <<<"$certificate"
    openssl req -newkey rsa:2048 -nodes -keyout "$dir/$name.key" -out "$dir/$name.csr" \
      -subj "/CN=$name Publisher/O=tolOpen tests" 2>/dev/null
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' "$usage" >"$dir/$name.ext"
    openssl x509 -req -in "$dir/$name.csr" -CA "$dir/root.pem" -CAkey "$dir/root.key" -CAcreateserial \
      -days "$days" -extfile "$dir/$name.ext" -out "$dir/$name.pem" 2>/dev/null
    openssl pkcs12 -export -inkey "$dir/$name.key" -in "$dir/$name.pem" -certfile "$dir/root.pem" \
      -passout file:"$dir/password" -out "$dir/$name.p12"
  done
  openssl pkcs12 -export -inkey "$dir/Course.key" -in "$dir/Course.pem" -passout file:"$dir/password" -out "$dir/NoChain.p12"
  openssl pkcs12 -export -nokeys -in "$dir/Course.pem" -certfile "$dir/root.pem" -passout file:"$dir/password" \
    -out "$dir/NoKey.p12"
}

# test_timestamp_server DIR: an RFC 3161 timestamp server on a free loopback port, answering with
# openssl ts; sets timestamp_url and timestamp_pid (the caller ends it), DIR/tsa.pem its certificate.
test_timestamp_server() {
  local dir=$1
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/tsa.key" -out "$dir/tsa.pem" -days 30 -subj "/CN=tolOpen Test TSA" \
    -addext extendedKeyUsage=critical,timeStamping -addext basicConstraints=CA:FALSE 2>/dev/null
  echo 01 >"$dir/tsa.serial"
  printf '[tsa]\ndefault_tsa = t\n[t]\nserial = %s\nsigner_cert = %s\nsigner_key = %s\ndefault_policy = 1.2.3.4.1\ndigests = sha256\nsigner_digest = sha256\n' \
    "$dir/tsa.serial" "$dir/tsa.pem" "$dir/tsa.key" >"$dir/tsa.cnf"
  python3 -c '
import http.server, subprocess, sys
class Reply(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", "/dev/stdin"],
                               input=query, capture_output=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)
    def log_message(self, *_):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Reply)
print(server.server_port, flush=True)
server.serve_forever()' "$dir/tsa.cnf" >"$dir/tsa.port" 2>/dev/null &
  timestamp_pid=$!
  for _ in $(seq 300); do [ -s "$dir/tsa.port" ] && break; sleep 0.1; done
  timestamp_url="http://127.0.0.1:$(cat "$dir/tsa.port")/"
}
