# Writes the code table of docs/errors.md from src/fum/error_codes.h, or checks it.
#
#   python3 tools/error_table.py           rewrite the table in docs/errors.md
#   python3 tools/error_table.py --check-table   fail if the page differs from a fresh table
#   python3 tools/error_table.py --check-uses    fail if the page lacks a code used under src/
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
HEADER = ROOT / "src/fum/error_codes.h"
PAGE = ROOT / "docs/errors.md"
BEGIN = "<!-- codes: generated from src/fum/error_codes.h -->"
END = "<!-- end of generated codes -->"
REGENERATE = "python3 tools/error_table.py"

# The members that reach each function storing a code: by Class::function,
# else by class, else (a free function) by source file. A use the tables do
# not place stops the generator.
READ_WRITE = "Read, Write, FRead, FWrite, DRead, DWrite, LDRead, LDWrite"
BULK = "ARead, AWrite, ReadRowBin, ReadRecord, WriteRecord, CRead, TWrite, LWrite"
TEXT = "TRead, LRead, ReadToken, ReadRow, LineRow, ReadArray, Ascii"
HIGH = "WksBlock, Mathematica, SigmaDos, SigmaWin, Wav"
MEMBERS = {
    "XoBulk": BULK,
    "XoBinIO": "ARead, AWrite, ReadRowBin, ReadRecord, WriteRecord",
    "XoAIO": "ARead, AWrite",
    "XoRecord": "ReadRecord, WriteRecord",
    "XoReadRecord": "ReadRecord",
    "XoWriteRecord": "WriteRecord",
    "XoReadRowBin": "ReadRowBin",
    "XoScribe::RawRead": "Read, FRead, DRead, LDRead",
    "XoScribe::RawWrite": "Write, FWrite, DWrite, LDWrite",
    "XoScribe": READ_WRITE,
    "XoPiecewise::ReadValue": "Read, FRead, DRead, LDRead",
    "XoRead": "Read",
    "XoWrite": "Write",
    "XoFloatRead": "FRead, DRead, LDRead",
    "XoFloatWrite": "FWrite, DWrite, LDWrite",
    "FileRefList::CloseAllEntries": "CloseAll",
    "XoFUMIO::ResolveFileArgument": "every file method that takes hFile",
    "XoTracking": "GetPos, SetPos, Rewind, ToEnd, Jump, JumpChunk, SwitchMode",
    "XoDOS": "Exists, Remove, Size",
    "XoSyntax": "Syntax",
    "XoAltSpell": "AltSpell",
    "XoHFILE": "setting HFILE; every file method given hFile",
    "XoHighLev": HIGH,
    "XoBounded": "setting NBYTES, BYTEORDER, SIGNED, MODE, NLINEMODE",
    "XoDiscrete": "setting NBYTES, BYTEORDER, SIGNED, MODE, NLINEMODE",
    "XoOpen": "Open",
    "XoClose": "Close",
    "XoGetPos": "GetPos",
    "XoSetPos": "SetPos",
    "XoJump": "Jump",
    "XoJumpChunk": "JumpChunk",
    "XoSwitchMode": "SwitchMode",
    "XoRemove": "Remove",
    "XoSize": "Size",
    "XoListSep": "ListSep",
    "XoImportIO": "SigmaDos, SigmaWin, Wav",
    "XoMathematica": "Mathematica",
    "XoSigmaDos": "SigmaDos",
    "XoSigmaWin": "SigmaWin",
    "XoWav": "Wav",
    "XoASCII": "Ascii",
    "XoCRead": "CRead",
    "XoASCIILT": "TRead, LRead, ReadToken",
    "XoTRead": "TRead, LRead",
    "XoASCIIPiece": TEXT,
    "WksRow": "ReadRow, LineRow",
    "XoASCIIRow": "ReadRow, LineRow, ReadArray",
    "XoReadArray": "ReadArray",
    "XoWksBlock": "WksBlock",
    "XoTWrite": "TWrite, LWrite",
    "XoLWrite": "LWrite",
    "src/binary/bulk.cpp": BULK,
    "OutOfMemoryFailure": "any method that allocates",
    "NestedCallFailed": HIGH,
    "NestedOutOfMemory": "any method that allocates",
    "src/fum/errors.h": HIGH,
    "src/fum/high_level.h": HIGH,
    "src/fum/queries.cpp": "Exists, Size",
    "src/fum/help.cpp": "Syntax, AltSpell",
    "src/text/line_token.cpp": "TRead, LRead, ReadToken",
    "src/import/sigma_win.cpp": "SigmaWin",
    "src/import/import_io.h": "SigmaDos, SigmaWin",
}

DEFINITION = re.compile(r"^[A-Za-z].*?\b(\w+)::(~?\w+)\(")
FREE_DEFINITION = re.compile(r"^[A-Za-z][\w:<>&*, ]*\s[*&]?(\w+)\(")

# What the new error mode stores for a plain code that names the default
# mode's code only.
NEW_MODE = {
    "kNoCurrentFile": "13 or 14 (the hFile check's code)",
    "kPositionTooLarge": "0 (status 2)",
    "kIntegerShortRead": "33",
    "kValueShortRead": "33",
    "kValueReadFailed": "28",
    "kNestedCallFailed": "the nested call's code (status + 512)",
}


# Meaning and what to do, by name. A code without an entry takes its header
# comment as its meaning; a code with neither stops the generator.
MEANING = {
    "kOutOfRange": ("a number argument or property is outside what it takes (a setting, a count, a dataset length)", "check the value against the member's range"),
    "kMissingArgument": ("a needed argument was not given", "give the argument"),
    "kMissingArrayArgument": ("the dataset or array argument was not given", "give the dataset name"),
    "kMissingOffset": ("Jump or JumpChunk got no offset; the status is the code in both modes", "give the offset"),
    "kEndBeforeStart": ("the range's end comes before its start", "swap or fix start and end"),
    "kBadWidth": ("nBytes does not suit the value kind of the call", "set NBYTES to a width the call reads"),
    "kOutOfMemory": ("the module could not allocate what the call needs; the call fails", "move less per call"),
    "kSeparatorRefused": ("the host would not take the list separator", "give a one-character separator"),
    "kHandleOutOfRange": ("hFile is below 0 or above 99999", "use a handle Open answered"),
    "kNoSuchHandle": ("no open file has that handle (default mode SysErr 9)", "open the file, or use the handle Open answered"),
    "kNoCurrentFile": ("no hFile argument and no current file; the new mode stores the check's code", "open a file or pass hFile"),
    "kMissingFileName": ("no file name was given", "give FileName$ or the name argument"),
    "kEmptyFileName": ("the file name is empty", "give a non-empty name"),
    "kHandleAndName": ("both a handle and a name were given where one is taken", "give one of them"),
    "kNoSuchFile": ("the named file does not exist (default mode SysErr 2)", "check the name and the folder"),
    "kNoName": ("Syntax or AltSpell got no name; the default mode answers 0 without error", "give a member name"),
    "kNoSuchMethod": ("Syntax or AltSpell: no method has that name", "check the spelling"),
    "kNoSuchMember": ("Syntax or AltSpell: no member has that name", "check the spelling"),
    "kCannotCreate": ("the file could not be created (new mode: SysErr is the cause)", "read SysErr; check the folder and its rights"),
    "kCannotOpen": ("the file could not be opened, or is not a regular file (new mode: SysErr is the cause)", "read SysErr; check the name, the rights, the file kind"),
    "kCloseFailed": ("the system failed to close the file", "read SysErr; the data may not all be written"),
    "kCloseAllFailed": ("a file failed to close during CloseAll; SysErr is the cause; the rest stay open", "read SysErr and call CloseAll again"),
    "kRemoveFailed": ("the file could not be removed (default mode SysErr 0)", "check the rights and whether the file is open"),
    "kSizeFailed": ("the file's size could not be found", "read SysErr"),
    "kPositionFailed": ("the file position could not be read", "read SysErr"),
    "kSeekFailed": ("the file position could not be moved", "read SysErr; check the offset"),
    "kPositionTooLarge": ("GetPos past 2 GiB in the default mode; the new mode answers status 2", "keep the position below 2 GiB, or move with Jump"),
    "kEndOfFile": ("the file ended before the read was done", "test for the end before reading on; what was read is kept"),
    "kReadFailed": ("a text read failed in the file layer", "read SysErr"),
    "kIntegerShortRead": ("an integer read met the end of the file (default mode; 33 with NEWACTIONS)", "test for the end of the file"),
    "kValueShortRead": ("a floating read met the end of the file (default mode; 33 with NEWACTIONS)", "test for the end of the file"),
    "kValueReadFailed": ("a one-value read failed otherwise (default mode; 28 with NEWACTIONS)", "read SysErr"),
    "kValueWriteFailed": ("a one-value write failed", "read SysErr; the disk may be full"),
    "kChunkReadFailed": ("a bulk read failed in the file layer; the call still succeeds", "test Error after ARead; values before the failure are stored"),
    "kChunkReadAtEnd": ("a bulk read failed at the end of the file", "as for the end of the file"),
    "kChunkWriteFailed": ("a bulk or text write failed (for example a full disk); the call still succeeds", "test Error after the write; free space"),
    "kMissingTextArgument": ("the string variable or page argument was not given", "give the argument"),
    "kZeroCount": ("a count of 0 was asked for; the default mode answers 0 without error", "ask for at least one"),
    "kNotALetter": ("the argument names no string variable (not a letter)", "give a string variable such as Z$"),
    "kStringRefused": ("the host would not take the text into the string variable", "check the variable and the text's length"),
    "kTextLengthFailed": ("the file's length could not be read before a text read", "read SysErr"),
    "kBadLineMode": ("NLINEMODE is not 0, 1 or 2", "set NLINEMODE to 0, 1 or 2"),
    "kNegativeLimit": ("the block reader's NTOKENS or NLINES is below 0", "give 0 or more"),
    "kColumnNotAdded": ("a worksheet column could not be added", "check that the page exists"),
    "kCellRefused": ("the host would not take a cell", "check the page and the row"),
    "kRowRefused": ("a binary row: the host had no handle for the worksheet or would not take the row; the call still answers nToken", "check the page"),
    "kBadTemplateItem": ("a record template holds an unknown type word, a stray character, an empty item, or nothing", "fix the template"),
    "kZeroRepeat": ("a record template repeats an item 0 times", "give a repeat of 1 or more"),
    "kTooFewColumns": ("WriteRecord: the page has fewer columns than a record has values; nothing is written", "add columns or shorten the template"),
    "kNoNestedMethod": ("a high-level method's nested call names no method of FUM", "report it: the build lacks the method"),
    "kNestedCallFailed": ("a nested call failed (default mode); the new mode answers the nested status with 512 added and leaves its Error", "read the status; run the nested step alone"),
    "kBlockFileNotOpened": ("WksBlock: FileName$ names a file that does not open; the call succeeds", "check FileName$"),
    "kBlockEndOfFile": ("WksBlock: the file ended before the last row; soft in the default mode only", "expect fewer rows"),
    "kBlockStopped": ("WksBlock: a line holds something other than a number; the call succeeds, the rest of the line is in Z$", "read Z$"),
    "kNotThisFormat": ("the file is not in the layout the import reads", "check the file and the import chosen"),
    "kNoWorksheet": ("wksname$ names no worksheet", "create the page or fix the name"),
    "kImportNameRefused": ("a column's dataset name could not be made or is too long", "use a shorter page name"),
    "kImportTextRefused": ("the text read into Z$ could not be fetched back, or the host refused it as a column title", "check the file's titles"),
    "kImportRefused": ("a header field would drive the import past what the file holds", "the file is damaged or not of this kind"),
}

DECL = re.compile(r"inline constexpr (ErrorPair|int) (k\w+)\s*(?:\{\s*(-?\d+)\s*,\s*(-?\d+)\s*\}|=\s*(-?\d+))\s*;")


def parse_header():
    """Answers [(section, name, byDefault, byNew, comment)] in header order."""
    codes, comment, section, after_blank = [], [], "", True
    for line in HEADER.read_text().splitlines():
        s = line.strip()
        if s.startswith("//"):
            comment.append(s[2:].strip())
            continue
        m = DECL.search(s)
        if m:
            text = " ".join(comment)
            if comment and after_blank:
                cut = min(i for i in (text.find("."), text.find(":"), len(text)) if i >= 0)
                section, text = text[:cut], text[cut + 1:].strip()
            if m.group(1) == "int":
                d = n = int(m.group(5))
            else:
                d, n = int(m.group(3)), int(m.group(4))
            codes.append((section, m.group(2), d, n, text))
            comment, after_blank = [], False
        else:
            comment, after_blank = [], s == "" or after_blank and s.startswith(("namespace", "struct", "}"))
    return codes


def uses_under_src():
    """Answers {name: [members strings]} for every err::name under src/."""
    uses = {}
    for path in sorted((ROOT / "src").rglob("*")):
        if path.suffix not in (".cpp", ".h") or path == HEADER:
            continue
        rel = path.relative_to(ROOT).as_posix()
        where = None
        for line in path.read_text().splitlines():
            m = DEFINITION.match(line)
            if m:
                where = m.group(1), m.group(2)
            elif FREE_DEFINITION.match(line) and not line.rstrip().endswith(";"):
                where = None, FREE_DEFINITION.match(line).group(1)
            for name in re.findall(r"err::(k\w+)", line):
                keys = [] if where is None else [where[1]] if where[0] is None else [f"{where[0]}::{where[1]}", where[0]]
                members = next((MEMBERS[k] for k in keys + [rel] if k in MEMBERS), None)
                if members is None:
                    sys.exit(f"error_table.py: add {(keys or [rel])[-1]} ({rel}) to MEMBERS")
                found = uses.setdefault(name, [])
                for group in members.split("; "):
                    found += [m for m in group.split(", ") if m not in found]
    return uses


def table():
    uses = uses_under_src()
    out, section = [], None
    for sec, name, d, n, comment in parse_header():
        if sec != section:
            section = sec
            out += ["", f"### {sec}", "",
                    "| name | Error (default) | Error (NEWACTIONS) | meaning | given by | what to do |",
                    "|---|---|---|---|---|---|"]
        meaning, todo = MEANING.get(name, (comment, ""))
        if not meaning:
            sys.exit(f"error_table.py: {name} has neither a meaning here nor a comment in error_codes.h")
        members = ", ".join(uses.get(name, [])) or "not stored by any method"
        n = NEW_MODE.get(name, n)
        out.append(f"| `{name}` | {d} | {n} | {meaning} | {members} | {todo} |")
    return "\n".join(out).lstrip("\n") + "\n"


def spliced(page):
    head, sep, rest = page.partition(BEGIN)
    _, sep2, tail = rest.partition(END)
    if not sep or not sep2:
        sys.exit(f"error_table.py: {PAGE} lacks the markers {BEGIN} ... {END}")
    return f"{head}{BEGIN}\n\n{table()}\n{END}{tail}"


def main():
    page = PAGE.read_text()
    if len(sys.argv) == 1:
        PAGE.write_text(spliced(page))
        return 0
    if "--check-table" in sys.argv and spliced(page) != page:
        print(f"docs/errors.md is out of date with src/fum/error_codes.h; run: {REGENERATE}")
        return 1
    missing = [n for n in uses_under_src() if "--check-uses" in sys.argv and f"`{n}`" not in page]
    if missing:
        print(f"docs/errors.md lacks codes used under src/: {', '.join(missing)}; add them to "
              f"src/fum/error_codes.h and run: {REGENERATE}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
