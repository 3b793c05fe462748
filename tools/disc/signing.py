"""Authenticode signatures: the disc's copies of tolOpen.exe and vb5stkit.dll signed with the
publisher's code-signing certificate (SHA-256, osslsigncode), an RFC 3161 timestamp where asked,
each verified against the certificate's chain; and what the publisher's control carries.

The key's password never appears on a command line (other users see those) and is never printed:
the tools read it from a file of the command's own, readable by its owner alone."""
import os
import tempfile

from failures import Failure, Refusal, run_quietly, say



def system_roots():
    """The roots this machine trusts: OpenSSL's own SSL_CERT_FILE where it is set, else Debian's bundle."""
    return os.environ.get("SSL_CERT_FILE") or "/etc/ssl/certs/ca-certificates.crt"


class Signer:
    """The publisher's certificate, judged usable for code signing, for the length of a with block."""

    def __init__(self, pkcs12, password):
        self.pkcs12 = pkcs12
        self._password = password
        self._folder = None

    def __enter__(self):
        self._folder = tempfile.mkdtemp(prefix="make-disc-sign-")  # mode 0700
        self.password_file = os.path.join(self._folder, "password")
        descriptor = os.open(self.password_file, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
        with open(descriptor, "wb") as file:
            file.write(self._password + b"\n")
        self.chain_file = os.path.join(self._folder, "chain.pem")
        try:
            self._judge()
        except BaseException:  # a refused certificate: the folder with the password goes all the same
            self.__exit__()
            raise
        return self

    def __exit__(self, *_):
        for name in os.listdir(self._folder):
            os.remove(os.path.join(self._folder, name))
        os.rmdir(self._folder)

    def _pkcs12(self, *arguments):
        """openssl pkcs12 on the file, with the legacy algorithms of older exports where needed."""
        command = ["openssl", "pkcs12", "-in", self.pkcs12, "-passin", f"file:{self.password_file}"] + list(arguments)
        result = run_quietly(command)
        if result.returncode != 0:
            result = run_quietly(command + ["-legacy"])
        return result

    def _judge(self):
        leaf = self._pkcs12("-nokeys", "-clcerts")
        if leaf.returncode != 0:
            raise Refusal(f"the password does not open the signing file '{self.pkcs12}' (or it is no PKCS#12 file): "
                          "give the password with --sign-password-file or TOLOPEN_SIGN_PASSWORD")
        certificate = os.path.join(self._folder, "certificate.pem")
        with open(certificate, "wb") as file:
            file.write(leaf.stdout)
        if self._pkcs12("-nocerts", "-nodes").stdout.find(b"PRIVATE KEY") < 0:
            raise Refusal(f"the signing file '{self.pkcs12}' holds no private key")
        subject = run_quietly(["openssl", "x509", "-in", certificate, "-noout", "-subject", "-nameopt", "oneline"])
        self.subject = subject.stdout.decode("utf-8", "replace").strip().removeprefix("subject=").strip()
        if run_quietly(["openssl", "x509", "-in", certificate, "-noout", "-checkend", "0"]).returncode != 0:
            end = run_quietly(["openssl", "x509", "-in", certificate, "-noout", "-enddate"]).stdout.decode().strip()
            raise Refusal(f"the certificate of '{self.pkcs12}' ({self.subject}) has expired ({end.removeprefix('notAfter=')})")
        usage = run_quietly(["openssl", "x509", "-in", certificate, "-noout", "-ext", "extendedKeyUsage"])
        usages = usage.stdout.decode("utf-8", "replace")
        if "Extended Key Usage" in usages and "Code Signing" not in usages:
            raise Refusal(f"the certificate of '{self.pkcs12}' ({self.subject}) is not for code signing "
                          f"(it is for: {usages.splitlines()[-1].strip()})")
        # The chain the signature is verified against: what the file carries, and the system's roots.
        chain = self._pkcs12("-nokeys", "-cacerts").stdout
        with open(self.chain_file, "wb") as file:
            file.write(chain)
            if os.path.isfile(system_roots()):
                with open(system_roots(), "rb") as roots:
                    file.write(roots.read())

    def sign(self, path, timestamp):
        """Signs a file in place (through a new file beside it), then verifies it."""
        signed = path + ".signed"
        command = ["osslsigncode", "sign", "-pkcs12", self.pkcs12, "-readpass", self.password_file, "-h", "sha256",
                   "-in", path, "-out", signed]
        if timestamp:
            command += ["-ts", timestamp]
        result = run_quietly(command, timeout=300)
        if result.returncode != 0 or not os.path.isfile(signed):
            if os.path.exists(signed):
                os.remove(signed)
            output = result.stdout.decode("utf-8", "replace")
            if timestamp and ("timestamp" in output.lower() or "curl" in output.lower() or "connect" in output.lower()):
                raise Failure(f"the timestamp server '{timestamp}' did not answer with a timestamp")
            raise Failure(f"osslsigncode could not sign '{os.path.basename(path)}' ({_last_line(output)})")
        os.replace(signed, path)
        verified = run_quietly(["osslsigncode", "verify", "-in", path, "-CAfile", self.chain_file]
                               + (["-TSA-CAfile", self.chain_file] if timestamp else []))
        output = verified.stdout.decode("utf-8", "replace")
        if verified.returncode != 0 or "Signature verification: ok" not in output:
            raise Failure(f"the signature of '{os.path.basename(path)}' does not verify against the certificate's "
                          f"chain ({_last_line(output)}): the signing file needs its intermediate certificates")
        if timestamp and "Timestamp Server Signature verification: ok" not in output:
            say(f"warning: the timestamp of '{os.path.basename(path)}' comes from a server whose certificate does not "
                "chain to a root this machine trusts; Windows may not trust it either")


def _last_line(output):
    lines = [line.strip() for line in output.splitlines() if line.strip()]
    return lines[-1] if lines else "no output"


def report_control_signature(control):
    """Says whether the publisher's control is signed, and by whom; never changes its bytes."""
    result = run_quietly(["osslsigncode", "verify", "-in", control])
    output = result.stdout.decode("utf-8", "replace")
    signer = None
    lines = output.splitlines()
    for i, line in enumerate(lines):
        if line.strip().startswith("Signer #0"):
            signer = next((later.split(":", 1)[1].strip() for later in lines[i + 1:]
                           if later.strip().startswith("Subject:")), None)
            break
    if signer:
        say(f"the control '{control}' is signed by {signer}")
    else:
        say(f"warning: the control '{control}' is not signed: Internet Explorer's default settings refuse "
            "to download unsigned controls, and security products flag unsigned DLLs (sign it, or get a "
            "signed one from its maker)")
