#!/usr/bin/env python3
"""Writes the seed corpus of the question-file fuzzer into corpus/ beside this script.

Small files of a few records each: quoted and unquoted fields, CR/LF mixes, invalid CP932,
NUL and control bytes, a quote never closed, an incomplete last record. Run it again after
changing it; the files are kept in the tree.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")


def cp932(text):
    return text.encode("cp932")


def fields(n, font="ＭＳ 明朝"):
    out = [f"見出し{n}", "0"]
    for i in range(10):
        out += [f"前{i}の", f"答{i}", f"漢字{i}", f"後{i}。"]
    out.append(font)
    return [cp932(f) for f in out]


def quoted(fs, sep=b",", end=b"\r\n"):
    return sep.join(b'"' + f + b'"' for f in fs) + end


def unquoted(fs, sep=b",", end=b"\r\n"):
    return sep.join(fs) + end


files = {
    "two-quoted-crlf.moj": quoted(fields(1)) + quoted(fields(2)),
    "vertical-font.moj": quoted(fields(1, "@ＭＳ 明朝")) + quoted(fields(2, "@IPAexMincho")),
    "unquoted-lf.moj": unquoted(fields(1), end=b"\n") + unquoted(fields(2), end=b"\n"),
    "cr-only.moj": unquoted(fields(1), end=b"\r") + quoted(fields(2), end=b"\r"),
    "line-ends-mixed.moj": unquoted(fields(1)[:20], sep=b"\r\n") + b"\n"
    + unquoted(fields(1)[20:], sep=b"\n\r") + quoted(fields(3), sep=b"\r"),
    "quoted-commas-and-breaks.moj": b'"a,b","x\r\ny",' + unquoted(fields(1)[2:]),
    "spaces-and-junk-after-quotes.moj": b'  "h" junk ,  "  s  "x,  plain  ,'
    + unquoted(fields(1)[3:]),
    "invalid-cp932.moj": quoted([b"\x80\xa0\xfd\xff", b"\x88 ", b"\x85\x40", b"\x81"] + fields(1)[4:])
    + b"\x88",
    "control-bytes.moj": unquoted([b"a\x1a\x1cb\x7f", b"\x88\x1a", b"\x1a\x1a"] + fields(2)[3:]),
    "nul-bytes.moj": unquoted([b"\x00", b"a\x00b", b'"\x00"'] + fields(3)[3:]) + b"\x00\x00",
    "quote-never-closed.moj": quoted(fields(1)) + b'"never closed, ' + unquoted(fields(2)),
    "incomplete-last.moj": quoted(fields(1)) + b'"next","0","only three"\r\n',
    "trailing-spaces.moj": unquoted(fields(1)) + b"   ",
    "empty-fields.moj": b"," * 42 + b"\r\n" + b'""' * 1 + b"," * 42,
    "no-comma.moj": cp932("漢字ばかりの一行で区切りがない") * 8,
    "kana-and-extensions.moj": unquoted([cp932("ｱｲｳ"), b"\x87\x40\x81\x60", b"\xfa\x40\xed\x40"]
                                        + fields(4)[3:]),
    # A teacher's own tables (the fuzzer reads every input as both kinds of file).
    "teacher-utf8.csv": ("\ufeff見出し,前の文,問題の部分,後の文,答え,字体\r\n"
                         + "".join(f'K,"前,{i}",問,"後""{i}",答,\r\n' for i in range(12))
                         + ",,,,,\r\nL,前,問,後,答,@ＭＳ 明朝\r\n").encode("utf-8"),
    "teacher-utf16-tabs.txt": ("\ufeff答え\t見出し\t前の文\t後の文\t問題の部分\r\n"
                               "はな\t二年\tにわに\tがさいた。\t花\r\n").encode("utf-16-le"),
}

os.makedirs(OUT, exist_ok=True)
for name, data in files.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
print(f"{len(files)} files in {OUT}")
