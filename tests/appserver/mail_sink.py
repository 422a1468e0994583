#!/usr/bin/python3
"""A real SMTP server for the mail tests (aiosmtpd): every message it accepts is written to a
folder as NNNN.eml (the envelope recipient in a first "X-Envelope-To:" line). Prints
"listening PORT" once it accepts connections.

  mail_sink.py --dir DIR [--tls-cert CRT --tls-key KEY] [--user U --password P]
               [--stall-at N --stall-seconds S] [--refuse ADDRESS] [--delay-ms MS]

--tls-cert/--tls-key offer STARTTLS; --user/--password require a login (after STARTTLS);
--stall-at N holds the N-th delivery after its recipient, before its data, for S seconds (a
client stopped then has handed nothing over); --refuse answers 550 to one recipient; --delay-ms
slows every acceptance (so two clients race for the outbox).
"""
import argparse
import asyncio
import os
import socket
import ssl
import sys
import threading
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Sink:
    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.deliveries = 0
        self.stored = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.args.refuse and address == self.args.refuse:
            return "550 5.1.1 mailbox unknown"
        with self.lock:
            self.deliveries += 1
            n = self.deliveries
        if self.args.stall_at and n == self.args.stall_at:
            await asyncio.sleep(self.args.stall_seconds)
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.args.delay_ms:
            await asyncio.sleep(self.args.delay_ms / 1000.0)
        with self.lock:
            self.stored += 1
            n = self.stored
        data = envelope.original_content or envelope.content
        if isinstance(data, str):
            data = data.encode("utf-8")
        name = os.path.join(self.args.dir, "%04d-%d.eml" % (n, os.getpid()))
        with open(name + ".tmp", "wb") as f:
            f.write(("X-Envelope-To: %s\r\n" % ",".join(envelope.rcpt_tos)).encode())
            f.write(data)
        os.rename(name + ".tmp", name)
        return "250 Message accepted for delivery"


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--dir", required=True)
    p.add_argument("--tls-cert")
    p.add_argument("--tls-key")
    p.add_argument("--user")
    p.add_argument("--password")
    p.add_argument("--stall-at", type=int, default=0)
    p.add_argument("--stall-seconds", type=float, default=60)
    p.add_argument("--refuse")
    p.add_argument("--delay-ms", type=int, default=0)
    args = p.parse_args()

    kwargs = {}
    if args.tls_cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.tls_cert, args.tls_key)
        kwargs["tls_context"] = context
        kwargs["require_starttls"] = True
    if args.user:
        def authenticate(server, session, envelope, mechanism, auth_data):
            ok = (isinstance(auth_data, LoginPassword)
                  and auth_data.login.decode() == args.user
                  and auth_data.password.decode() == args.password)
            return AuthResult(success=ok, handled=False)
        kwargs["authenticator"] = authenticate
        kwargs["auth_required"] = True
        kwargs["auth_require_tls"] = True

    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    controller = Controller(Sink(args), hostname="127.0.0.1", port=port, **kwargs)
    controller.start()
    print("listening %d" % port, flush=True)
    try:
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        pass
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
