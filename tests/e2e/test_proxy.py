"""Behind a company proxy (Debian's squid on loopback, the only way out) set in the
user's Internet options: the installation completes, every connection to the server
going through the proxy's tunnels."""
import struct

from install_case import PORT, InstallationTestCase, content_hash, wait_for

import fault_server  # noqa: E402  (found through the harness folder e2e_case adds)
from fault_server import Status  # noqa: E402
from servers import free_port  # noqa: E402
from squid import Squid  # noqa: E402

SETTINGS = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
SERVER = f"localhost:{PORT}"
PROBE_ATTEMPTS = 1 + 41  # per interface


def connection_record(flags: int, proxy: str = "", script: str = "") -> str:
    """The Connections\\DefaultConnectionSettings record, as regedit's hex text."""
    record = struct.pack("<III", 0x46, 1, flags)
    for text in (proxy, "", script):
        record += struct.pack("<I", len(text)) + text.encode()
    record += bytes(32)
    return ",".join(f"{b:02x}" for b in record)


class ProxyTest(InstallationTestCase):
    def set_internet_options(self, proxy: str = "", script: str = ""):
        """As the Internet options dialog saves them: the values and the record."""
        flags = 0x1 | (0x2 if proxy else 0) | (0x4 if script else 0)
        lines = ["REGEDIT4", "", f"[{SETTINGS}]", f'"ProxyEnable"=dword:{1 if proxy else 0:08x}',
                 f'"ProxyServer"="{proxy}"']
        if script:
            lines.append(f'"AutoConfigURL"="{script}"')
        lines += ["", f"[{SETTINGS}\\Connections]",
                  f'"DefaultConnectionSettings"=hex:{connection_record(flags, proxy, script)}', ""]
        options = self.prefix / "drive_c" / "proxy.reg"
        options.write_text("\r\n".join(lines))
        self.wine("regedit", "/S", "C:\\proxy.reg")

    def proxy(self, **options) -> Squid:
        return self.stack.enter_context(Squid(self.workdir / "squid", **options))

    def install_and_end(self):
        window = self.start()
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes), "the server's installer ran")
        # Squid logs a tunnel when it closes: when the program has gone.
        self.installer.stop()

    def assert_every_connection_tunnelled(self, proxy: Squid, connections: int):
        wait_for(lambda: len(proxy.tunnels(SERVER)) >= connections, 30, "squid to log the tunnels")
        self.assertEqual(len(proxy.tunnels(SERVER)), connections, "one tunnel per connection to the server")

    # --- the tests -------------------------------------------------------------------
    def test_a_fixed_proxy_carries_the_probe_and_the_forty_ranges(self):
        proxy = self.proxy()
        server = self.serve_with_nginx()
        self.set_internet_options(proxy=f"127.0.0.1:{proxy.port}")
        self.install_and_end()
        requests = server.requests()
        self.assertEqual(len(requests), 41, "the probe and forty ranges")
        self.assert_every_connection_tunnelled(proxy, len({r["connection"] for r in requests}))

    def test_a_configuration_script_names_the_proxy(self):
        # The fixed proxy of the options leads nowhere: only the script's proxy gets out.
        proxy = self.proxy()
        server = self.serve_with_nginx()
        script = self.workdir / "proxy.pac"
        script.write_text('function FindProxyForURL(url, host) {\n'
                          f'  return "PROXY 127.0.0.1:{proxy.port}";\n}}\n')
        scripts = self.stack.enter_context(fault_server.FaultServer(script))
        self.set_internet_options(proxy=f"127.0.0.1:{free_port()}",
                                  script=f"http://127.0.0.1:{scripts.port}/proxy.pac")
        self.install_and_end()
        self.assertEqual(len(scripts.requests), 1, "the script is fetched once per download")
        self.assert_every_connection_tunnelled(proxy, len({r["connection"] for r in server.requests()}))

    def test_after_the_switch_winhttp_goes_through_the_same_proxy(self):
        proxy = self.proxy()
        server = self.serve_with_fault_server(
            plan=lambda request: Status(503) if request.range is None and request.method == "GET" else None)
        self.set_internet_options(proxy=f"127.0.0.1:{proxy.port}")
        self.install_and_end()
        self.assertEqual([p.method for p in server.probes()], ["GET"] * PROBE_ATTEMPTS + ["HEAD"])
        self.assert_every_connection_tunnelled(proxy, len({r.connection for r in server.requests}))

    def test_a_proxy_that_wants_a_password_asks_once_then_installs(self):
        proxy = self.proxy(users={"ada": "s3cret"})
        server = self.serve_with_nginx()
        self.set_internet_options(proxy=f"127.0.0.1:{proxy.port}")
        window = self.start()
        self.tick_and_install(window)
        prompt = self.installer.message_box(timeout=60)
        self.installer.screenshot("proxy-prompt")
        self.assertEqual(prompt["title"], "Lumaroute")
        self.installer.key("ctrl+a")
        self.installer.xdotool("type", "ada")
        self.installer.key("Tab")
        self.installer.xdotool("type", "s3cret")
        self.installer.key("Return")
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes))
        self.installer.stop()
        self.assertEqual(len(server.requests()), 41)
        wait_for(lambda: proxy.tunnels(SERVER), 30, "squid to log the tunnels")
        self.assertTrue(all(t["user"] == "ada" for t in proxy.tunnels(SERVER)), "every tunnel signed on")
        denied = [e for e in proxy.log() if e["status"] == 407]
        self.assertGreaterEqual(len(denied), 1)

    def test_cancelling_the_proxy_prompt_ends_in_one_network_box_with_407(self):
        proxy = self.proxy(users={"ada": "s3cret"})
        self.serve_with_nginx()
        self.set_internet_options(proxy=f"127.0.0.1:{proxy.port}")
        window = self.start()
        self.tick_and_install(window)
        self.assertEqual(self.installer.message_box(timeout=60)["title"], "Lumaroute")
        self.installer.key("Escape")
        self.installer.wait_no_message_box()
        self.assertIn("Network error : 407", self.expect_one_error_box("Network error : ")["texts"])
        self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")
