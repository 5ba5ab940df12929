"""A loopback HTTP server, over TLS or plain, that serves one file at every path and
misbehaves on demand: the downloader must survive servers that cut, stall, refuse,
lie about ranges or change the file under it.

Every request is logged as a `Request`. Before it is answered, a plan (a function of
that request) may pick a fault to answer it with instead of the right answer:

    plan = combine(always(Cut(1000)), always(Status(503), kind="probe"))
    with FaultServer(path, cert=certs.server_cert, key=certs.server_key, plan=plan) as server:
        ... run the client against server.port ...
        server.ranges(), server.probes(), server.max_overlap()

One thread per connection, so 40 and more clients are served side by side. Standard
library only; the certificates come from servers.make_test_ca.
"""
import array
import contextlib
import dataclasses
import email.utils
import fcntl
import hashlib
import http
import http.client
import re
import socket
import ssl
import struct
import termios
import threading
import time
from dataclasses import dataclass
from pathlib import Path

from servers import max_overlap

IDLE_SECONDS = 30       # a kept-alive connection with no new request is closed
HANDSHAKE_SECONDS = 10
DRAIN_SECONDS = 1       # how long a closing connection waits for the client's own close
JOIN_SECONDS = 10       # bound on stopping everything in __exit__
GATHER_SECONDS = 6      # bound on holding ranges together, below the test build's 8 s time-out
CHUNK = 64 * 1024
LINE_LIMIT = 8192

_RANGE = re.compile(r"bytes=(\d+)-(\d+)")
OTHER_RELEASE_RATE = 4 * 1024 * 1024  # bytes per second of a whole file sent for If-Range
LAST_MODIFIED = "Sun, 06 Nov 1994 08:49:37 GMT"  # every release's, so that only the ETag tells them apart


def etag(data: bytes) -> str:
    """The strong entity tag of a release."""
    return '"' + hashlib.sha256(data).hexdigest()[:16] + '"'


@dataclass
class Request:
    """One request, in arrival order."""
    number: int                # 0, 1, 2, ... in arrival order
    connection: int            # 0, 1, 2, ... per accepted TCP connection
    method: str                # "GET", "HEAD"
    range: tuple[int, int] | None  # (first, last) as asked; None without a Range (the probe)
    attempt: int               # range: earlier requests with the same `last`; probe: earlier probes
    status: int = 0            # status sent (0 if none)
    body_bytes: int = 0        # body bytes actually written to the client
    start: float = 0.0         # time.monotonic()
    end: float = 0.0
    # "complete", "cut-fin", "cut-rst", "stalled", "client-gone", or
    # "stopped" when the server stopped before the answer ended
    outcome: str = ""
    path: str = ""             # the request target, query included
    if_range: str | None = None  # the If-Range header as sent
    etag: str = ""             # the ETag of the release it was answered from (with validators)


# --- faults: what one answer does instead of the right thing ---------------------------
#
# Each fault answers through an _Exchange and returns the request's outcome; the
# connection then stays open after "complete" (unless the answer says otherwise) and
# drops as the outcome says after the others.

@dataclass(frozen=True)
class Cut:
    """The right headers and the first `after` bytes of the body, then the link drops:
    a FIN with no TLS close_notify first, or a reset (RST) when `rst` is set."""
    after: int
    rst: bool = False

    def answer(self, exchange: "_Exchange") -> str:
        exchange.right_answer(limit=self.after)
        return "cut-rst" if self.rst else "cut-fin"


@dataclass(frozen=True)
class Stall:
    """Nothing at all, not even headers, for `seconds`; then the connection closes."""
    seconds: float

    def answer(self, exchange: "_Exchange") -> str:
        exchange.stopping.wait(self.seconds)
        return "stalled"


@dataclass(frozen=True)
class Status:
    """That status with a short text body (a 503, a 404, ...)."""
    code: int

    def answer(self, exchange: "_Exchange") -> str:
        text = f"{self.code} {_reason(self.code)}\n".encode()
        exchange.send_head(self.code, str(len(text)), content_type="text/plain")
        exchange.send_body(text)
        return "complete"


@dataclass(frozen=True)
class Busy:
    """503 Service Unavailable with `Retry-After: <retry_after>`."""
    retry_after: str

    def answer(self, exchange: "_Exchange") -> str:
        text = b"503 Service Unavailable\n"
        exchange.send_head(503, str(len(text)), content_type="text/plain", retry_after=self.retry_after)
        exchange.send_body(text)
        return "complete"


@dataclass(frozen=True)
class Redirect:
    """A 302 to `location`, with an empty body."""
    location: str

    def answer(self, exchange: "_Exchange") -> str:
        exchange.send_head(302, "0", location=self.location)
        return "complete"


@dataclass(frozen=True)
class WholeFile:
    """The range ignored: 200 and the whole file."""

    def answer(self, exchange: "_Exchange") -> str:
        exchange.send_head(200, str(len(exchange.data)))
        exchange.send_body(memoryview(exchange.data))
        return "complete"


@dataclass(frozen=True)
class WrongRange:
    """A 206 for the range one byte further on (first+1..last+1, within the file; one
    byte back when the range asked for ends at the file's last byte alone)."""

    def answer(self, exchange: "_Exchange") -> str:
        first, last = exchange.asked_span(self)
        size = len(exchange.data)
        shift = 1 if first + 1 < size else -1
        first, last = first + shift, min(last + shift, size - 1)
        exchange.send_head(206, str(last - first + 1), f"bytes {first}-{last}/{size}")
        exchange.send_body(memoryview(exchange.data)[first:last + 1])
        return "complete"


@dataclass(frozen=True)
class ExtraBody:
    """A 206 announcing the range asked for, whose body (and Content-Length) carries
    `extra` more bytes: the file's next bytes, zeros past its end."""
    extra: int

    def answer(self, exchange: "_Exchange") -> str:
        first, last = exchange.asked_span(self)
        size = len(exchange.data)
        length = last - first + 1 + self.extra
        body = exchange.data[first:first + length]
        body += bytes(length - len(body))
        exchange.send_head(206, str(length), f"bytes {first}-{last}/{size}")
        exchange.send_body(body)
        return "complete"


@dataclass(frozen=True)
class Throttle:
    """The right answer, sent at `rate` bytes per second."""
    rate: int

    def answer(self, exchange: "_Exchange") -> str:
        exchange.right_answer(rate=self.rate)
        return "complete"


# --- plans ------------------------------------------------------------------------------

def _kind(kind: str) -> bool:
    """Whether plans of this kind are for ranges (a mistyped kind fails at once, not
    in a connection's thread)."""
    if kind not in ("range", "probe"):
        raise ValueError(f"kind is 'range' or 'probe', not {kind!r}")
    return kind == "range"


def always(fault, kind: str = "range"):
    """A plan: `fault` for every range (or every probe)."""
    ranges = _kind(kind)
    return lambda request: fault if (request.range is not None) == ranges else None


def combine(*plans):
    """A plan asking each of `plans` in turn; the first fault wins."""
    def plan(request):
        for each in plans:
            fault = each(request)
            if fault is not None:
                return fault
        return None
    return plan


# --- one answer -------------------------------------------------------------------------

def _reason(code: int) -> str:
    try:
        return http.HTTPStatus(code).phrase
    except ValueError:
        return "Unknown"


class _Exchange:
    """One request on one connection: what was asked, the bytes it is answered from,
    and the means to answer. What reaches the client is counted in the Request."""

    def __init__(self, server: "FaultServer", sock: socket.socket, request: Request,
                 data: bytes, keep_alive: bool):
        self.server = server
        self.sock = sock
        self.request = request
        self.data = data
        self.keep_alive = keep_alive
        self.stopping = server._stopping

    def span(self) -> tuple[int, int]:
        """The bytes a right answer carries: the range asked for, within the file, or
        the whole file for a request without one."""
        if self.request.range is None:
            return 0, len(self.data) - 1
        first, last = self.request.range
        return first, min(last, len(self.data) - 1)

    def asked_span(self, fault) -> tuple[int, int]:
        """The span, for a fault that only makes sense for a range."""
        if self.request.range is None:
            raise ValueError(f"{type(fault).__name__} answers ranges only")
        return self.span()

    def send_head(self, status: int, length: str | None, content_range: str | None = None,
                  content_type: str = "application/octet-stream", location: str | None = None,
                  retry_after: str | None = None) -> None:
        lines = [f"HTTP/1.1 {status} {_reason(status)}", f"Content-Type: {content_type}",
                 "Accept-Ranges: bytes"]
        if length is not None:
            lines.append(f"Content-Length: {length}")
        if content_range is not None:
            lines.append(f"Content-Range: {content_range}")
        if location is not None:
            lines.append(f"Location: {location}")
        if retry_after is not None:
            lines.append(f"Retry-After: {retry_after}")
        if self.server.validators:
            lines += [f"ETag: {etag(self.data)}", f"Last-Modified: {LAST_MODIFIED}",
                      f"Date: {email.utils.formatdate(usegmt=True)}"]
        if not self.keep_alive:
            lines.append("Connection: close")
        self.sock.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))
        self.server._update(self.request, status=status)

    def send_body(self, body, rate: int = 0) -> None:
        """Sends `body` (none for HEAD), at `rate` bytes per second when given."""
        if self.request.method == "HEAD":
            return
        step = max(1, rate // 10) if rate else CHUNK
        for offset in range(0, len(body), step):
            if rate and offset and self.stopping.wait(step / rate):
                raise _Stopped()
            chunk = body[offset:offset + step]
            self.sock.sendall(chunk)
            self.server._update(self.request, body_bytes=self.request.body_bytes + len(chunk))

    def right_answer(self, rate: int = 0, limit: int | None = None) -> None:
        """The answer a good server gives, or its first `limit` body bytes: with
        validators, the whole file when If-Range names another release."""
        first, last = self.span()
        other_release = self.server.validators and self.request.if_range not in (None, etag(self.data))
        whole = self.request.range is None or other_release
        if other_release:
            # Paced, so that the log shows whether the client read it or let it go.
            rate = rate or OTHER_RELEASE_RATE
        if whole:
            first, last = 0, len(self.data) - 1
        body = memoryview(self.data)[first:last + 1]
        if whole:
            self.send_head(200, str(len(body)))
        else:
            self.send_head(206, str(len(body)), f"bytes {first}-{last}/{len(self.data)}")
        self.send_body(body if limit is None else body[:limit], rate)

    def unsatisfiable(self) -> None:
        self.send_head(416, "0", f"bytes */{len(self.data)}")


class _Stopped(Exception):
    """The server stopped in the middle of an answer."""


class _BadRequest(Exception):
    """Not an HTTP request line we can read."""


def _read_request(reader) -> tuple[str, str, str, http.client.HTTPMessage] | None:
    """Method, target, version and headers of the next request; None at the end."""
    line = reader.readline(LINE_LIMIT)
    while line in (b"\r\n", b"\n"):  # a stray line end between requests is allowed
        line = reader.readline(LINE_LIMIT)
    if not line:
        return None
    parts = line.decode("latin-1").split()
    if len(parts) != 3 or not parts[2].startswith("HTTP/"):
        raise _BadRequest()
    return parts[0], parts[1], parts[2], http.client.parse_headers(reader)


# --- one connection ---------------------------------------------------------------------

class _Connection:
    """One accepted TCP connection on its own thread: the TLS handshake, then requests
    answered one after the other while both sides keep the connection alive, then the
    close the last answer calls for."""

    def __init__(self, server: "FaultServer", number: int, sock: socket.socket):
        self.server = server
        self.number = number
        self.sock = sock
        self.reader = None

    def run(self) -> None:
        close = "fin"
        try:
            if self.server._context is not None:
                self.sock = self.server._wrap(self.number, self.sock)
                self.sock.settimeout(HANDSHAKE_SECONDS)
                self.sock.do_handshake()
            self.sock.settimeout(IDLE_SECONDS)
            self.reader = self.sock.makefile("rb")
            while True:
                asked = _read_request(self.reader)
                if asked is None:
                    break
                close = self._exchange(*asked)
                if close != "keep":
                    break
        except _BadRequest:
            close = "close"
            with contextlib.suppress(OSError):
                self.sock.sendall(b"HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n"
                                  b"Connection: close\r\n\r\n")
        except (OSError, http.client.HTTPException, _Stopped):
            pass  # the client went, the server stops, or the headers were garbage
        except Exception as error:  # a plan's or this server's own mistake
            self.server._failed(error)
        finally:
            self._close(close)
            self.server._ended(self.number)

    def _exchange(self, method: str, target: str, version: str, headers) -> str:
        """Answers one request; says how the connection goes on: "keep", or the close."""
        asked_range = headers.get("Range")
        keep_alive = (version == "HTTP/1.1"
                      and "close" not in headers.get("Connection", "").lower()
                      # a body we would not read must not be taken for the next request
                      and headers.get("Content-Length", "0") == "0"
                      and "Transfer-Encoding" not in headers)
        request, data = self.server._arrive(self.number, method, target, _parse_range(asked_range),
                                            headers.get("If-Range"))
        exchange = _Exchange(self.server, self.sock, request, data, keep_alive)
        outcome = ""
        try:
            outcome = self._answer(exchange, asked_range is not None)
        except _Stopped:
            outcome = "stopped"
        except OSError:
            outcome = "stopped" if self.server._stopping.is_set() else "client-gone"
        finally:
            self.server._finish(request, outcome)
        if outcome == "complete":
            return "keep" if exchange.keep_alive else "close"
        return {"cut-rst": "rst", "stopped": "rst"}.get(outcome, "fin")

    def _answer(self, exchange: _Exchange, has_range: bool) -> str:
        request, server = exchange.request, self.server
        fault = server.plan(dataclasses.replace(request))
        if request.method not in ("GET", "HEAD"):
            exchange.keep_alive = False
            Status(501).answer(exchange)
            return "complete"
        if has_range and server.hold and server._stopping.wait(server.hold):
            raise _Stopped()
        if has_range and server.gather and not server._gather():
            raise _Stopped()
        if has_range and not _satisfiable(request.range, len(exchange.data)):
            exchange.unsatisfiable()
            return "complete"
        if fault is None:
            exchange.right_answer()
            return "complete"
        return fault.answer(exchange)

    def _close(self, how: str) -> None:
        """Ends the connection the way `how` says. After an answer that was complete
        ("keep", "close") the close is orderly, TLS close_notify first. "fin" ends the
        TCP connection with no TLS goodbye, as a dropped link would. "rst" resets it,
        once the client's side has acknowledged every byte sent, so that those bytes
        are the client's to read before it learns of the reset."""
        sock = self.sock
        with contextlib.suppress(OSError, ValueError):
            if how == "rst":
                _wait_acknowledged(sock, self.server._stopping)
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            else:
                if how in ("keep", "close") and isinstance(sock, ssl.SSLSocket):
                    sock.settimeout(DRAIN_SECONDS)
                    with contextlib.suppress(OSError):
                        sock.unwrap()
                _end_with_fin(sock, self.server._stopping)
        self.server._forget(self.number)
        # The socket really closes only once its reader is closed too.
        if self.reader is not None:
            self.reader.close()
        sock.close()


def _parse_range(text: str | None) -> tuple[int, int] | None:
    match = _RANGE.fullmatch(text.strip()) if text is not None else None
    return (int(match.group(1)), int(match.group(2))) if match else None


def _satisfiable(asked: tuple[int, int] | None, size: int) -> bool:
    return asked is not None and asked[0] <= asked[1] and asked[0] < size


def _wait_acknowledged(sock: socket.socket, stopping: threading.Event) -> None:
    """Waits (briefly) until nothing sent on `sock` is left unacknowledged."""
    unacknowledged = array.array("i", [0])
    deadline = time.monotonic() + DRAIN_SECONDS
    while time.monotonic() < deadline and not stopping.is_set():
        fcntl.ioctl(sock.fileno(), termios.TIOCOUTQ, unacknowledged)
        if unacknowledged[0] == 0:
            return
        time.sleep(0.01)


def _end_with_fin(sock: socket.socket, stopping: threading.Event) -> None:
    """Sends our FIN, then reads until the client closes too (briefly): closing with
    unread bytes pending would turn the FIN into a reset. On a TLS socket shutdown()
    drops the TLS layer without a close_notify."""
    sock.shutdown(socket.SHUT_WR)
    sock.settimeout(0.1)
    deadline = time.monotonic() + DRAIN_SECONDS
    while time.monotonic() < deadline and not stopping.is_set():
        try:
            if not sock.recv(CHUNK):
                return
        except TimeoutError:
            continue


def _reset(sock: socket.socket) -> None:
    with contextlib.suppress(OSError):
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    sock.close()


# --- the server -------------------------------------------------------------------------

class FaultServer:
    """Serves the file at `path` at every path (GET and HEAD, "Range: bytes=a-b") on
    127.0.0.1, over TLS when given a certificate and key, on `port` if not 0.

    plan: called with each request before it is answered; returns a fault or None.
        A range past the end of the file gets 416 and any other method 501, whatever
        the plan says.
    replace_after_probe: once the first probe has arrived (it is answered from the old
        file), every later request is served from these bytes instead (the file
        replaced meanwhile).
    hold: every ranged answer waits this long first (a slow server).
    gather: every ranged answer waits, counted as in flight, until this many ranged
        requests wait together (at most GATHER_SECONDS from the first), so that the
        overlap of ranges shows in max_overlap() however loaded the machine is.
    lifetime: the server stops by itself after this many seconds, whatever happens.
    releases: newer files of the same use; with them every answer carries an ETag,
        Last-Modified and Date, and If-Range is honoured (a range of another release
        is answered with that whole file, 200). Once `change_after` ranged requests
        have arrived after a probe, the file is replaced by the next release.

    A plan that raises, or a fault that does not fit its request (WrongRange or
    ExtraBody for the probe), drops that connection; __exit__
    raises the error again, so that the test fails rather than the client.
    """

    def __init__(self, path: Path, port: int = 0, cert: Path | None = None,
                 key: Path | None = None, plan=lambda request: None,
                 replace_after_probe: bytes | None = None,
                 hold: float = 0.0, gather: int = 0, lifetime: float = 600.0,
                 releases: "list[bytes] | None" = None, change_after: int = 20):
        if (cert is None) != (key is None):
            raise ValueError("a TLS server needs both a certificate and a key")
        self.data = Path(path).read_bytes()
        self.fixed_port = port
        self.plan = plan
        self.replacement = replace_after_probe
        self.validators = releases is not None
        self._releases = list(releases or [])
        self.change_after = change_after
        self._ranges_since_probe = 0
        self.hold = hold
        self.gather = gather
        self._gathering = threading.Condition()
        self._gathered = 0
        self._gather_deadline = None
        self.lifetime = lifetime
        self._context = None
        if cert is not None:
            self._context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self._context.load_cert_chain(cert, key)
        self._lock = threading.Lock()
        self._stopping = threading.Event()
        self._requests: list[Request] = []
        self._attempts: dict = {}
        self._replaced = False
        self._errors: list[BaseException] = []
        self._open: dict[int, socket.socket] = {}
        self._threads: dict[int, threading.Thread] = {}
        self._listener: socket.socket | None = None
        self._acceptor: threading.Thread | None = None
        self.port = 0

    # --- what happened

    @property
    def requests(self) -> list[Request]:
        with self._lock:
            return [dataclasses.replace(request) for request in self._requests]

    def probes(self) -> list[Request]:
        return [r for r in self.requests if r.range is None]

    def ranges(self) -> list[Request]:
        return [r for r in self.requests if r.range is not None]

    def max_overlap(self, predicate=lambda request: True) -> int:
        """The most requests matching `predicate` in flight at one instant (one still
        being answered counts as in flight until now)."""
        now = time.monotonic()
        return max_overlap([(r.start, r.end or now) for r in self.requests if predicate(r)])

    # --- starting and stopping

    def __enter__(self) -> "FaultServer":
        # Listening before we return is what makes the server ready: no probe
        # connection, which would count as the first connection.
        self._listener = socket.create_server(("127.0.0.1", self.fixed_port), backlog=128)
        self._listener.settimeout(0.1)
        self.port = self._listener.getsockname()[1]
        self._acceptor = threading.Thread(target=self._accept_loop, name="fault-server",
                                          daemon=True)
        self._acceptor.start()
        return self

    def __exit__(self, exc_type, *exc) -> None:
        self._halt()
        deadline = time.monotonic() + JOIN_SECONDS
        self._acceptor.join(JOIN_SECONDS)
        with self._lock:
            threads = list(self._threads.values())
        for thread in threads:
            thread.join(max(0.0, deadline - time.monotonic()))
        self._listener.close()
        left = [t.name for t in threads if t.is_alive()]
        if self._acceptor.is_alive():
            left.append(self._acceptor.name)
        if exc_type is None and self._errors:
            raise self._errors[0]
        if exc_type is None and left:
            raise RuntimeError(f"the fault server's threads did not end: {left}")

    def _halt(self) -> None:
        """Stops every wait and wakes every thread blocked on a connection."""
        self._stopping.set()
        with self._lock:
            for sock in self._open.values():
                # The plain socket's shutdown: the TLS object may be in use by its thread.
                with contextlib.suppress(OSError):
                    socket.socket.shutdown(sock, socket.SHUT_RDWR)

    def _accept_loop(self) -> None:
        deadline = time.monotonic() + self.lifetime
        connections = 0
        while not self._stopping.is_set():
            if time.monotonic() >= deadline:
                self._halt()
                break
            try:
                sock, _ = self._listener.accept()
            except TimeoutError:
                continue
            except OSError:
                break
            number, connections = connections, connections + 1
            thread = threading.Thread(target=_Connection(self, number, sock).run,
                                      name=f"fault-server-{number}", daemon=True)
            # Under the lock, so that a _halt either finds this connection or has
            # already said that we stop.
            with self._lock:
                if self._stopping.is_set():
                    _reset(sock)
                    break
                self._open[number] = sock
                self._threads[number] = thread
            thread.start()
        # Late clients find the port closed.
        self._listener.close()

    # --- the log and the connections, shared by the connection threads

    def _wrap(self, number: int, sock: socket.socket) -> ssl.SSLSocket:
        # Under the lock, so that _halt finds whichever of the two sockets owns the
        # descriptor.
        with self._lock:
            if self._stopping.is_set():
                raise _Stopped()
            sock = self._context.wrap_socket(sock, server_side=True,
                                             do_handshake_on_connect=False)
            self._open[number] = sock
            return sock

    def _forget(self, number: int) -> None:
        with self._lock:
            self._open.pop(number, None)

    def _ended(self, number: int) -> None:
        with self._lock:
            self._threads.pop(number, None)

    def _arrive(self, connection: int, method: str, target: str,
                asked: tuple[int, int] | None, if_range: str | None) -> tuple[Request, bytes]:
        """Logs a new request; gives it and the bytes it is to be answered from."""
        key = ("range", asked[1]) if asked is not None else ("probe",)
        with self._lock:
            attempt = self._attempts.get(key, 0)
            self._attempts[key] = attempt + 1
            if asked is None:
                self._ranges_since_probe = 0
            else:
                self._ranges_since_probe += 1
                if self._ranges_since_probe == self.change_after + 1 and self._releases:
                    self.data = self._releases.pop(0)
            request = Request(len(self._requests), connection, method, asked, attempt,
                              start=time.monotonic(), path=target, if_range=if_range,
                              etag=etag(self.data) if self.validators else "")
            self._requests.append(request)
            data = self.replacement if self._replaced else self.data
            # The probe measures the old file; whatever comes after it, even while the
            # probe's own answer is still going out, gets the new one.
            if self.replacement is not None and asked is None and method in ("GET", "HEAD"):
                self._replaced = True
        return request, data

    def _update(self, request: Request, **fields) -> None:
        with self._lock:
            for name, value in fields.items():
                setattr(request, name, value)

    def _gather(self) -> bool:
        """Waits until `gather` ranged answers wait together, or the bound has passed;
        False when the server is stopping."""
        with self._gathering:
            self._gathered += 1
            if self._gather_deadline is None:
                self._gather_deadline = time.monotonic() + GATHER_SECONDS
            self._gathering.notify_all()
            while self._gathered < self.gather and not self._stopping.is_set():
                remaining = self._gather_deadline - time.monotonic()
                if remaining <= 0:
                    break
                self._gathering.wait(min(remaining, 0.1))
        return not self._stopping.is_set()

    def _finish(self, request: Request, outcome: str) -> None:
        with self._lock:
            request.end = time.monotonic()
            request.outcome = outcome

    def _failed(self, error: BaseException) -> None:
        with self._lock:
            self._errors.append(error)
