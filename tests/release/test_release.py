"""scripts/release.sh: the exe a player downloads is stripped, the same bytes
wherever and whenever it is built, signed when a certificate is given, and
listed in SHA256SUMS."""
import glob
import hashlib
import os
import shutil
import subprocess
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def copy_of_the_commit(where):
    files = subprocess.run(["git", "-C", ROOT, "ls-files", "-z"], capture_output=True, check=True).stdout
    for name in filter(None, files.decode().split("\0")):
        os.makedirs(os.path.join(where, os.path.dirname(name)), exist_ok=True)
        shutil.copy2(os.path.join(ROOT, name), os.path.join(where, name))
    return where


def release(tree, **env):
    run = subprocess.run([os.path.join(tree, "scripts", "release.sh")], env=dict(os.environ, **env),
                         capture_output=True, text=True, timeout=600)
    if run.returncode != 0:
        raise AssertionError(f"release.sh failed:\n{run.stdout}\n{run.stderr}")
    [exe] = glob.glob(os.path.join(tree, "dist", "vantrel-*.exe"))
    with open(exe, "rb") as f:
        data = f.read()
    with open(os.path.join(tree, "dist", "SHA256SUMS")) as f:
        sums = f.read()
    return run.stdout, os.path.basename(exe), data, sums


class Release(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory(prefix="vantrel release ")
        self.addCleanup(self.work.cleanup)

    def test_reproducible_stripped_exe_and_signing_round_trip(self):
        first = copy_of_the_commit(os.path.join(self.work.name, "first"))
        second = copy_of_the_commit(os.path.join(self.work.name, "another folder", "second"))
        said, name, exe, sums = release(first)
        self.assertIn("unsigned", said)
        self.assertEqual(sums, f"{hashlib.sha256(exe).hexdigest()}  {name}\n")
        sections = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", os.path.join(first, "dist", name)],
                                  capture_output=True, text=True, check=True).stdout
        self.assertNotIn(".debug", sections)
        # The stack guard's failure routine, linked only when functions carry the guard.
        self.assertIn(b"*** stack smashing detected ***", exe)

        _, _, again, _ = release(second)
        self.assertEqual(hashlib.sha256(again).hexdigest(), hashlib.sha256(exe).hexdigest(),
                         "two builds of one commit differ")

        # A throw-away self-signed certificate stands in for the real one.
        certificate, key, pfx = (os.path.join(self.work.name, n) for n in ("cert.pem", "key.pem", "cert.pfx"))
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                        "/CN=Vantrel test", "-keyout", key, "-out", certificate], capture_output=True, check=True)
        subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", certificate, "-out", pfx, "-passout",
                        "pass:throw away"], capture_output=True, check=True)
        said, name, signed, sums = release(second, VANTREL_SIGN_PFX=pfx, VANTREL_SIGN_PASSWORD="throw away")
        self.assertIn("signed and verified", said)
        self.assertNotEqual(signed, exe)
        self.assertEqual(sums, f"{hashlib.sha256(signed).hexdigest()}  {name}\n")
        verify = subprocess.run(["osslsigncode", "verify", "-CAfile", certificate, "-in",
                                 os.path.join(second, "dist", name)], capture_output=True, text=True)
        self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)
        self.assertIn("Signature verification: ok", verify.stdout)


if __name__ == "__main__":
    unittest.main()
