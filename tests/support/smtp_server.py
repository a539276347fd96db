"""An SMTP server on 127.0.0.1 for the mail tests (aiosmtpd).

Prints the port it listens on, then stores each message it receives as DIR/N.txt: the envelope
sender and recipients on the first lines, a blank line, then the message as received.
  smtp_server.py DIR
"""
import threading
import os
import socket
import sys

from aiosmtpd.controller import Controller

folder = sys.argv[1]


class Store:
    count = 0

    async def handle_DATA(self, server, session, envelope):
        Store.count += 1
        path = os.path.join(folder, "%d.txt" % Store.count)
        with open(path + ".tmp", "wb") as f:
            f.write(("FROM " + envelope.mail_from + "\n").encode())
            for r in envelope.rcpt_tos:
                f.write(("RCPT " + r + "\n").encode())
            f.write(b"\n")
            f.write(envelope.original_content or envelope.content)
        os.replace(path + ".tmp", path)
        return "250 OK"


s = socket.socket()
s.bind(("127.0.0.1", 0))
port = s.getsockname()[1]
s.close()
controller = Controller(Store(), hostname="127.0.0.1", port=port)
controller.start()
print(port, flush=True)
sys.stdout.close()
threading.Event().wait()
