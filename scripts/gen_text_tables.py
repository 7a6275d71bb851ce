#!/usr/bin/env python3
# scripts/gen_text_tables.py -- writes runtime/posix/text_tables.inc, the code page and upper-case
# tables the Linux build uses where Windows asks the platform. Standard library only.
#
# Usage: python3 scripts/gen_text_tables.py [output path]
# Run it from anywhere; without an argument it writes the committed file in the tree. The output
# depends on the Unicode version of the Python that runs it, which the file records.

import codecs
import os
import sys
import unicodedata

REPO_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_OUTPUT = os.path.join(REPO_ROOT, "runtime", "posix", "text_tables.inc")

# The single-byte pages with a built-in table, and the codec that knows each one.
CODE_PAGES = [
    (1252, "cp1252", "Windows-1252, the ANSI code page of Western European Windows"),
    (437, "cp437", "the original IBM PC OEM code page"),
    (850, "cp850", "the Western European OEM code page"),
]


def decode_table(codec):
    """The 256 UTF-16 units of a single-byte code page, indexed by byte."""
    table = []
    for byte in range(256):
        try:
            text = codecs.decode(bytes([byte]), codec)
        except UnicodeDecodeError:
            # Windows maps the bytes its tables leave undefined (0x81, 0x8D, 0x8F, 0x90 and 0x9D in
            # 1252) to the C1 control with the same number, so no byte is ever lost.
            text = chr(byte)
        if len(text) != 1 or ord(text) > 0xFFFF:
            sys.exit(f"{codec}: byte {byte:#04x} does not decode to one BMP unit")
        table.append(ord(text))
    # The platform's converter passes 0x00-0x7F through unchanged even on the OEM pages (the glyphs
    # for control bytes are a display matter); the encoder relies on it to skip the lookup.
    for byte in range(0x80):
        if table[byte] != byte:
            sys.exit(f"{codec}: byte {byte:#04x} is not ASCII")
    if len(set(table)) != 256:
        sys.exit(f"{codec}: two bytes decode to the same unit, so encoding would be ambiguous")
    return table


def simple_upper(unit):
    """The simple (one-to-one) upper-case mapping of a BMP unit, or the unit itself."""
    char = chr(unit)
    upper = char.upper()
    if len(upper) != 1:
        # str.upper() applies the full mappings, which can expand (U+00DF gives "SS"). The simple
        # mapping is then the title-case form when that is one character: the Greek small letters
        # with ypogegrammeni map to their capitals with prosgegrammeni (U+1F80 -> U+1F88). Anything
        # else has no simple mapping and stays as it is.
        upper = char.title()
        if len(upper) != 1:
            return unit
    if ord(upper) > 0xFFFF:
        return unit  # a unit maps on its own, so a result outside the BMP cannot be expressed
    return ord(upper)


def platform_upper(unit):
    """The upper case of a BMP unit as the platform folds it, or the unit itself.

    The platform keeps only the simple mappings that lower-case back to where they came from, so
    that folding never merges two lower-case letters into one capital: U+00B5 MICRO SIGN, U+0131
    dotless i, U+017F long s, U+03C2 final sigma, the title-case digraphs and the Greek symbol
    variants stay as they are. (A dump of the platform's single-unit upper-casing of every BMP unit
    agreed with this rule on all of them.)
    """
    upper = simple_upper(unit)
    if upper == unit or chr(upper).lower() != chr(unit):
        return unit
    return upper


def upper_case_runs():
    """The BMP upper-case mappings as runs (first, last, stride, delta).

    A run covers first, first + stride, ..., last, and each of those units maps to unit + delta.
    Stride 1 catches alphabets laid out in blocks (a-z, Cyrillic); stride 2 catches the Latin
    Extended and Greek blocks, where small and capital letters alternate. Units in between the
    members of a stride-2 run map to themselves, which the lookup checks.
    """
    mapped = []
    for unit in range(0x10000):
        if 0xD800 <= unit <= 0xDFFF:
            continue  # surrogates are halves of characters and have no case of their own
        upper = platform_upper(unit)
        if upper != unit:
            mapped.append((unit, upper - unit))

    runs = []
    for unit, delta in mapped:
        if runs:
            first, last, stride, run_delta = runs[-1]
            if delta == run_delta:
                if last - first == 0 and unit - last in (1, 2):
                    runs[-1] = (first, unit, unit - last, delta)
                    continue
                if unit - last == stride:
                    runs[-1] = (first, unit, stride, delta)
                    continue
        runs.append((unit, unit, 1, delta))

    # A stride-2 run must not swallow a unit that maps differently; the mapping above only extends
    # a run with units that map, so check that the skipped units really map to themselves.
    mapping = dict(mapped)
    for first, last, stride, delta in runs:
        for unit in range(first, last + 1):
            member = (unit - first) % stride == 0
            expected = unit + delta if member else unit
            if mapping.get(unit, 0) + unit != expected:
                sys.exit(f"run {first:#06x}-{last:#06x} misdescribes {unit:#06x}")
    return runs, len(mapped)


def format_rows(items, per_row, indent="    "):
    lines = []
    for start in range(0, len(items), per_row):
        lines.append(indent + " ".join(items[start:start + per_row]))
    return "\n".join(lines)


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUTPUT
    out = []
    out.append("// runtime/posix/text_tables.inc -- GENERATED by scripts/gen_text_tables.py; "
               "do not edit.")
    out.append(f"// Unicode {unicodedata.unidata_version}. Included by the POSIX code page and "
               "upper-case converters.")
    out.append("")
    out.append("namespace vlm::text_tables {")
    out.append("")
    out.append("// One unit a byte of a single-byte code page maps to, for the reverse lookup.")
    out.append("struct ByteForUnit {")
    out.append("  char16_t Unit;")
    out.append("  unsigned char Byte;")
    out.append("};")
    out.append("")
    out.append("// Units First, First + Stride, ... Last upper-case to Unit + Delta; units between "
               "the members")
    out.append("// of a run map to themselves.")
    out.append("struct UpperCaseRun {")
    out.append("  char16_t First;")
    out.append("  char16_t Last;")
    out.append("  unsigned char Stride;")
    out.append("  int Delta;")
    out.append("};")

    for number, codec, description in CODE_PAGES:
        table = decode_table(codec)
        out.append("")
        out.append(f"// Code page {number}: {description}. Indexed by byte.")
        out.append(f"inline constexpr char16_t kCodePage{number}[256] = {{")
        out.append(format_rows([f"0x{unit:04X}," for unit in table], 8))
        out.append("};")
        reverse = sorted((unit, byte) for byte, unit in enumerate(table) if byte >= 0x80)
        out.append("")
        out.append(f"// Bytes 0x80-0xFF of code page {number}, sorted by unit for binary search "
                   "(0x00-0x7F are ASCII).")
        out.append(f"inline constexpr ByteForUnit kCodePage{number}Reverse[128] = {{")
        out.append(format_rows([f"{{0x{unit:04X}, 0x{byte:02X}}}," for unit, byte in reverse], 6))
        out.append("};")

    runs, mapped_count = upper_case_runs()
    out.append("")
    out.append(f"// Upper-case mappings of the BMP that round-trip: {mapped_count} units in "
               f"{len(runs)} runs, sorted by First.")
    out.append(f"inline constexpr UpperCaseRun kUpperCaseRuns[{len(runs)}] = {{")
    run_items = [f"{{0x{first:04X}, 0x{last:04X}, {stride}, {delta}}},"
                 for first, last, stride, delta in runs]
    out.append(format_rows(run_items, 3))
    out.append("};")
    out.append("")
    out.append("}  // namespace vlm::text_tables")
    out.append("")

    text = "\n".join(out)
    for line_number, line in enumerate(text.splitlines(), 1):
        if len(line) > 100:
            sys.exit(f"line {line_number} of the output is longer than 100 columns")
    with open(output, "w", encoding="ascii", newline="\n") as handle:
        handle.write(text)


if __name__ == "__main__":
    main()
