"""A mail sink for the tests: keeps each mail's envelope and raw bytes in a folder.

Recipients whose address begins with "refused" are refused, as a server
refuses an unknown mailbox.
"""

import os


class Sink:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    @classmethod
    def from_cli(cls, parser, *args):
        return cls(args[0])

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refused"):
            return "550 5.1.1 No such mailbox here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, "mail%d" % self.count)
        self._write(base + ".envelope",
                    ("\n".join([envelope.mail_from] + envelope.rcpt_tos) + "\n").encode())
        self._write(base + ".eml", envelope.original_content)
        return "250 Message accepted"

    @staticmethod
    def _write(path, data):
        with open(path + ".part", "wb") as f:
            f.write(data)
        os.replace(path + ".part", path)
