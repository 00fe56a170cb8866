"""Reads exports back the way other programs would: the CSV files with
Python's csv module, the HTML files with its HTML parser. Prints each file's
rows, one per line, their cells joined by a tab."""
import csv
import sys
from html.parser import HTMLParser


class Cells(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows, self.cell = [], None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.cell = ""

    def handle_endtag(self, tag):
        if tag in ("td", "th"):
            self.rows[-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


for path in sys.argv[1:]:
    with open(path, encoding="utf-8", newline="") as f:
        if path.endswith(".csv"):
            rows = list(csv.reader(f))
        else:
            parser = Cells()
            parser.feed(f.read())
            rows = parser.rows
    for row in rows:
        print("\t".join(row))
