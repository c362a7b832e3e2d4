#!/usr/bin/env python3
"""Writes a copy of a tags file whose file fields read as today's ctags writes
them for a Japanese project: some folders and words of file names in Japanese,
in UTF-8, with '/' between names. The scanner benchmark's input for a document
with a Japanese name over a UTF-8 tags file:

    scripts/make-utf8-tags.py build/bench/generated.tags build/bench/utf8.tags

Only the file fields change; it prints the share of lines whose field is past
ASCII.
"""
import sys

FOLDERS = [("src\\io\\", "src/入出力/"), ("src\\document\\", "src/文書/"), ("tools\\", "ツール/"),
           ("third_party\\", "外部/"), ("src\\ui\\dialogs\\", "src/ui/ダイアログ/")]
WORDS = [("Account", "口座"), ("Document", "文書"), ("Encoding", "符号化"), ("Layout", "配置"), ("Search", "検索")]


def japanese(field):
    for ascii_name, name in FOLDERS:
        field = field.replace(ascii_name, name)
    field = field.replace("\\", "/")
    folder, _, name = field.rpartition("/")
    for ascii_word, word in WORDS:
        name = name.replace(ascii_word, word)
    return folder + "/" + name if folder else name


def main(source, target):
    lines = past_ascii = 0
    with open(source, "rb") as tags, open(target, "wb") as out:
        for line in tags:
            if not line.startswith(b"!"):
                fields = line.split(b"\t", 2)
                if len(fields) == 3:
                    field = japanese(fields[1].decode("utf-8"))
                    fields[1] = field.encode("utf-8")
                    line = b"\t".join(fields)
                    lines += 1
                    past_ascii += any(ord(c) > 127 for c in field)
            out.write(line)
    print(f"{lines} tag lines, {100.0 * past_ascii / max(lines, 1):.1f}% with a file field past ASCII")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
