#!/usr/bin/env python3
"""Turns the user guide (docs/user-guide.md) into one HTML page.

Only what the guide uses is understood: '#' headings, paragraphs, '-' lists, pipe
tables, **bold** and `code`. Everything else is shown as text, escaped.
Usage: guide-to-html.py IN.md OUT.html
"""
import html
import re
import sys


def inline(text):
    text = html.escape(text, quote=False)
    text = re.sub(r"\*\*(.+?)\*\*", r"<strong>\1</strong>", text)
    return re.sub(r"`(.+?)`", r"<code>\1</code>", text)


def table(rows):
    cells = [[c.strip() for c in r.strip().strip("|").split("|")] for r in rows]
    out = ["<table>", "<tr>" + "".join(f"<th>{inline(c)}</th>" for c in cells[0]) + "</tr>"]
    for row in cells[2:]:
        out.append("<tr>" + "".join(f"<td>{inline(c)}</td>" for c in row) + "</tr>")
    out.append("</table>")
    return out


def convert(lines):
    body, title = [], "Corvida Player Guide"
    block, kind = [], None

    def flush():
        nonlocal block, kind
        if kind == "p":
            body.append("<p>" + inline(" ".join(block)) + "</p>")
        elif kind == "ul":
            body.append("<ul>" + "".join(f"<li>{inline(i)}</li>" for i in block) + "</ul>")
        elif kind == "table":
            body.extend(table(block))
        block, kind = [], None

    for line in lines:
        line = line.rstrip("\n")
        heading = re.match(r"^(#{1,3}) (.*)", line)
        if heading:
            flush()
            level = len(heading.group(1))
            if level == 1:
                title = heading.group(2)
            body.append(f"<h{level}>{inline(heading.group(2))}</h{level}>")
        elif not line.strip():
            flush()
        elif line.startswith("|"):
            if kind != "table":
                flush()
                kind = "table"
            block.append(line)
        elif line.startswith("- "):
            if kind != "ul":
                flush()
                kind = "ul"
            block.append(line[2:])
        elif kind == "ul" and line.startswith("  "):
            block[-1] += " " + line.strip()
        else:
            if kind != "p":
                flush()
                kind = "p"
            block.append(line.strip())
    flush()
    style = ("body{font-family:sans-serif;max-width:44em;margin:2em auto;padding:0 1em;"
             "line-height:1.5}table{border-collapse:collapse}td,th{border:1px solid #aaa;"
             "padding:.2em .6em;text-align:left}code{background:#eee}")
    return ("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
            f"<title>{html.escape(title)}</title><style>{style}</style></head><body>\n"
            + "\n".join(body) + "\n</body></html>\n")


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: guide-to-html.py IN.md OUT.html")
    with open(sys.argv[1], encoding="utf-8") as f:
        page = convert(f.readlines())
    with open(sys.argv[2], "w", encoding="utf-8") as f:
        f.write(page)


if __name__ == "__main__":
    main()
