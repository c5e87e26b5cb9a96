#!/usr/bin/python3
"""Structural check of SWF files with Debian's python3-yaswfp, a parser nobody here wrote.

Usage: check_swf.py FILE...   Prints one line per file; exit 0 when every file passes.

A file passes when yaswfp reads the header and every tag to the End tag with each tag body read
exactly to its length, the header's file length is the file's (inflated) length, and the frame
counts of the movie and of each sprite equal their ShowFrame tags.

Documented exception: a device font (DefineFont2 with no glyphs) is written without the code
table offset, as players expect of a glyph-less font; yaswfp reads that offset unconditionally and
so reports the tag as failing. Such a tag is accepted when its glyph count is 0.

Second exception: DefineBitsJPEG2 may carry PNG data (program pictures such as the start button);
yaswfp reads only JPEG there. Such a tag is accepted when its data is a whole PNG stream: the
signature, then chunks whose CRCs match, ending with IEND exactly at the tag's end.
"""
import io
import sys
import zlib

from yaswfp import swfparser


def glyphless_font(tag):
    raw = tag.raw_payload
    # id u16, flags u8, language u8, name length u8, name, glyph count u16
    if len(raw) < 5:
        return False
    at = 5 + raw[4]
    return len(raw) >= at + 2 and raw[at] == 0 and raw[at + 1] == 0


def png_payload(tag):
    raw = tag.raw_payload
    data = raw[2:]  # after the character id
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return False
    at = 8
    while at + 12 <= len(data):
        length = int.from_bytes(data[at:at + 4], "big")
        kind = data[at + 4:at + 8]
        end = at + 12 + length
        if end > len(data):
            return False
        crc = int.from_bytes(data[end - 4:end], "big")
        if zlib.crc32(data[at + 4:end - 4]) != crc:
            return False
        at = end
        if kind == b"IEND":
            return at == len(data)
    return False


def check_tags(tags, where, problems):
    frames = 0
    for tag in tags:
        kind = type(tag).__name__
        if kind == "FailingObject":
            if tag.name == "DefineFont2" and glyphless_font(tag):
                continue
            if tag.name == "DefineBitsJPEG2" and png_payload(tag):
                continue
            problems.append("%s: %s not read to its length" % (where, tag.name))
        if tag.name == "ShowFrame":
            frames += 1
        if tag.name == "DefineSprite":
            inner = check_tags(tag.ControlTags, "%s sprite %d" % (where, tag.CharacterID), problems)
            if inner != tag.FrameCount:
                problems.append("sprite %d: frame count %d but %d ShowFrame" % (tag.CharacterID, tag.FrameCount, inner))
    return frames


def check(path):
    data = open(path, "rb").read()
    problems = []
    try:
        parser = swfparser.SWFParser(io.BytesIO(data))
    except Exception as e:  # any failure of the parser is a malformed file
        return ["parser failed: %r" % (e,)]
    header = parser.header
    length = len(data) if header.Signature == "FWS" else 8 + len(zlib.decompress(data[8:]))
    if header.FileLength != length:
        problems.append("header length %d but %d bytes" % (header.FileLength, length))
    frames = check_tags(parser.tags, "movie", problems)
    if frames != header.FrameCount:
        problems.append("header frame count %d but %d ShowFrame" % (header.FrameCount, frames))
    if header.Signature == "FWS":
        # yaswfp stops at the End tag: nothing may follow it.
        consumed = parser._src.tell()
        if consumed != len(data):
            problems.append("%d bytes after the End tag" % (len(data) - consumed))
    return problems


def main():
    ok = True
    for path in sys.argv[1:]:
        problems = check(path)
        if problems:
            ok = False
            print("%s: %s" % (path, "; ".join(problems)))
        else:
            print("%s: ok" % path)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
