"""Behind a company proxy (Debian's squid on loopback) set in the user's Internet
options: the installation completes, every connection to the server going through one
of the proxy's tunnels."""
import struct

from install_case import PORT, InstallationTestCase, content_hash, wait_for

import fault_server  # noqa: E402  (found through the harness folder e2e_case adds)
from fault_server import Stall, Status  # noqa: E402
from servers import free_port  # noqa: E402
from squid import Squid  # noqa: E402

SETTINGS = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
SERVER = f"localhost:{PORT}"


class ProxyTest(InstallationTestCase):
    def set_internet_options(self, proxy: str = "", script: str = "", record=True):
        """Saved as the Internet options dialog saves them: the values and the record
        (or, as some tools do, only the values)."""
        saved = struct.pack("<III", 0x46, 1, 0x1 | (0x2 if proxy else 0) | (0x4 if script else 0))
        for text in (proxy, "", script):
            saved += struct.pack("<I", len(text)) + text.encode()
        lines = ["REGEDIT4", f"[{SETTINGS}]", '"ProxyEnable"=dword:00000001', f'"ProxyServer"="{proxy}"',
                 f'"AutoConfigURL"="{script}"']
        if record:
            lines += [f"[{SETTINGS}\\Connections]",
                      '"DefaultConnectionSettings"=hex:' + ",".join(f"{b:02x}" for b in saved + bytes(32))]
        (self.prefix / "drive_c" / "proxy.reg").write_text("\r\n".join(lines + [""]))
        self.wine("regedit", "/S", "C:\\proxy.reg")

    def behind_squid(self, users=None, record=True) -> Squid:
        squid = self.stack.enter_context(Squid(self.workdir / "squid", users))
        self.set_internet_options(proxy=f"127.0.0.1:{squid.port}", record=record)
        return squid

    def install_through(self, squid: Squid, connections, started=False):
        if not started:
            self.tick_and_install(self.start())
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes))
        self.installer.stop()  # squid logs a tunnel once it closes
        wait_for(lambda: len(squid.tunnels(SERVER)) >= len(connections()), 30, "squid to log the tunnels")
        self.assertEqual(len(squid.tunnels(SERVER)), len(connections()), "one tunnel per connection to the server")

    def test_a_fixed_proxy_carries_the_probe_and_the_forty_ranges(self):
        squid = self.behind_squid()
        server = self.serve_with_nginx()
        self.install_through(squid, lambda: {r["connection"] for r in server.requests()})

    def test_a_configuration_script_names_the_proxy(self):
        # The fixed proxy of the same options leads nowhere: only the script's gets out.
        squid = self.stack.enter_context(Squid(self.workdir / "squid"))
        script = self.workdir / "proxy.pac"
        script.write_text(f'function FindProxyForURL(url, host) {{ return "PROXY 127.0.0.1:{squid.port}"; }}\n')
        scripts = self.stack.enter_context(fault_server.FaultServer(script))
        self.set_internet_options(proxy=f"127.0.0.1:{free_port()}", script=f"http://127.0.0.1:{scripts.port}/x.pac")
        server = self.serve_with_nginx()
        self.install_through(squid, lambda: {r["connection"] for r in server.requests()})
        self.assertEqual(len(scripts.requests), 1, "the script is run once per download")

    def test_a_script_that_never_answers_costs_its_bound_then_the_fixed_proxy_serves(self):
        scripts = self.stack.enter_context(fault_server.FaultServer(self.installer_file, plan=lambda r: Stall(60)))
        squid = self.stack.enter_context(Squid(self.workdir / "squid"))
        self.set_internet_options(proxy=f"127.0.0.1:{squid.port}", script=f"http://127.0.0.1:{scripts.port}/x.pac")
        server = self.serve_with_fault_server()
        self.install_through(squid, lambda: {r.connection for r in server.requests})
        waited = server.probes()[0].start - scripts.requests[0].start
        self.assertGreater(waited, 4, "the script was given its time")
        self.assertLess(waited, 10, "and no more than its bound")

    def test_after_the_switch_winhttp_goes_through_the_same_proxy(self):
        squid = self.behind_squid(record=False)
        server = self.serve_with_fault_server(
            plan=lambda request: Status(502) if request.range is None and request.method == "GET" else None)
        self.install_through(squid, lambda: {r.connection for r in server.requests})
        self.assertEqual([p.method for p in server.probes()], ["GET"] * 42 + ["HEAD"])

    def start_and_see_the_prompt(self):
        squid = self.behind_squid(users={"ada": "s3cret"})
        server = self.serve_with_nginx()
        self.tick_and_install(self.start())
        self.assertEqual(self.installer.message_box(timeout=60)["title"], "Lumaroute")
        return squid, server

    def test_a_proxy_that_wants_a_password_asks_once_then_installs(self):
        squid, server = self.start_and_see_the_prompt()
        self.installer.xdotool("type", "ada")
        self.installer.key("Tab")
        self.installer.xdotool("type", "s3cret")
        self.installer.key("Return")
        self.install_through(squid, lambda: {r["connection"] for r in server.requests()}, started=True)
        self.assertEqual({t["user"] for t in squid.tunnels(SERVER)}, {"ada"}, "every tunnel signed on")

    def test_cancelling_the_proxy_prompt_ends_in_one_network_box_with_407(self):
        self.start_and_see_the_prompt()
        self.installer.key("Escape")
        self.installer.wait_no_message_box()
        self.assertIn("Network error : 407", self.expect_one_error_box("Network error : ")["texts"])
        self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")

    def test_a_server_reached_directly_that_answers_407_gets_no_prompt(self):
        self.serve_with_fault_server(plan=lambda request: Status(407))
        box = self.start_and_expect_one_error_box("Network error : ")
        self.assertIn("Network error : 407", box["texts"])
