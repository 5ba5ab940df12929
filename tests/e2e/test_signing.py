"""Signing the shipped program with tools/sign.sh, the script `make sign` runs: a copy of
it is signed with a throwaway code-signing certificate and checked with osslsigncode.
The build's own program is only read."""
import os
import re
import socket
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SIGN_SCRIPT = Path(__file__).resolve().parents[2] / "tools" / "sign.sh"
TIMEOUT = 60

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "harness"))
import servers  # noqa: E402

# The harness's throwaway code-signing certificate, issued by its test CA.
SIGNER = "/CN=" + servers.PUBLISHER


def verify(program: Path, ca: Path) -> subprocess.CompletedProcess:
    return subprocess.run(["osslsigncode", "verify", "-CAfile", str(ca), "-in", str(program)],
                          capture_output=True, text=True, timeout=TIMEOUT)


class SigningTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        exe = os.environ.get("LUMAROUTE_SHIPPED_EXE")
        if not exe:
            raise unittest.SkipTest("LUMAROUTE_SHIPPED_EXE is not set; run through CTest")
        cls.shipped = Path(exe)
        cls.original = cls.shipped.read_bytes()
        folder = tempfile.TemporaryDirectory(prefix="lumaroute-signing-")
        cls.addClassCleanup(folder.cleanup)
        cls.certs = servers.make_test_ca(Path(folder.name) / "keys")
        cls.ca = cls.certs.ca_cert
        cls.work = Path(folder.name) / "work"

        # One signed copy serves every test that only reads the signature.
        cls.signed = cls.copy_of_program("signed")
        cls.sign(cls.signed).check_returncode()
        cls.verified = verify(cls.signed, cls.ca)

    @classmethod
    def copy_of_program(cls, name: str) -> Path:
        """The shipped program copied alone into a fresh folder."""
        copy = cls.work / name / cls.shipped.name
        copy.parent.mkdir(parents=True)
        copy.write_bytes(cls.original)
        return copy

    @classmethod
    def sign(cls, program: Path, **settings: str) -> subprocess.CompletedProcess:
        """Runs tools/sign.sh on `program`; CERT and KEY default to the throwaway signer,
        and a setting given as "" is left out."""
        env = {name: value for name, value in os.environ.items()
               if name not in ("CERT", "KEY", "PASS", "TIMESTAMP")}
        settings = {"CERT": str(cls.certs.publisher_cert), "KEY": str(cls.certs.publisher_key), **settings}
        env.update({name: value for name, value in settings.items() if value})
        # A session of its own has no terminal, so a key that wants a passphrase it was not
        # given fails at once instead of asking for one.
        return subprocess.run(["bash", str(SIGN_SCRIPT), str(program)], env=env, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=TIMEOUT, start_new_session=True)

    def test_signature_verifies_with_sha256_by_the_given_signer(self):
        self.assertEqual(self.verified.returncode, 0, self.verified.stdout + self.verified.stderr)
        self.assertIn("Signature verification: ok", self.verified.stdout)
        self.assertEqual(set(re.findall(r"Signer #0:\s*Subject: (.+)", self.verified.stdout)), {SIGNER})
        # Both the file's digest and the signer's digest of the signed attributes.
        algorithms = re.findall(r"Message digest algorithm\s*:\s*(\S+)", self.verified.stdout)
        self.assertEqual(algorithms, ["SHA256", "SHA256"], self.verified.stdout)

    def test_refuses_without_certificate_or_key(self):
        for missing in ("CERT", "KEY"):
            with self.subTest(missing=missing):
                program = self.copy_of_program(f"no-{missing.lower()}")
                result = self.sign(program, **{missing: ""})
                self.assertNotEqual(result.returncode, 0)
                self.assertIn("usage: make sign CERT=", result.stderr)
                self.assertEqual(program.read_bytes(), self.original)
                self.assertEqual(os.listdir(program.parent), [program.name])

    def test_failed_signing_leaves_the_program_untouched(self):
        # A time-stamp server that refuses: a bound port nobody listens on.
        with socket.socket() as closed_port:
            closed_port.bind(("127.0.0.1", 0))
            port = closed_port.getsockname()[1]
            program = self.copy_of_program("failed")
            result = self.sign(program, TIMESTAMP=f"http://127.0.0.1:{port}/")
        self.assertNotEqual(result.returncode, 0, result.stdout)
        self.assertEqual(program.read_bytes(), self.original)
        self.assertEqual(os.listdir(program.parent), [program.name])


if __name__ == "__main__":
    unittest.main()
