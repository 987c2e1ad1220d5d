#!/usr/bin/env bash
# Checks that the shipped program can start on every system it is for: PE32 i386, GUI subsystem,
# subsystem and OS version 4.0, and only imports that Windows 95, 98, Me and NT 4.0 export (the
# list in tools/win9x-imports.txt). Also its size, the resources the program loads, and a
# manifest that Windows XP to 11 read as meant (Windows 95 to 2000 ignore it), and the version
# resource. A signed file is read as well as an unsigned one.
set -euo pipefail
export LC_ALL=C  # objdump's output is read by its English words
exe="$1"
here="$(cd "$(dirname "$0")" && pwd)"
allowed_list="$here/win9x-imports.txt"
max_size=60000
fail() { echo "$exe: $*" >&2; exit 1; }

# The program starts in its own start-up code (src/driver/startup_win32.cpp), without the
# compiler runtime's, which is what applies pseudo-relocations: data that the code took from a
# DLL without an import declaration would stay unrelocated. The link map shows there is none.
map="${exe%.exe}.map"
if [ -f "$map" ]; then
  grep -Eq '0x0+ +__rt_psrelocs_size = ' "$map" ||
    fail "the link made runtime pseudo-relocations, which nothing applies (see $map)"
fi

headers=$(i686-w64-mingw32-objdump -p "$exe")
# A signed file carries its certificate table behind the program: the limit is the program's.
signature=$(awk '/Security Directory/ { print $4; exit }' <<<"$headers")
signed=$(( 16#${signature:-0} ))
size=$(( $(stat -c %s "$exe") - signed ))
[ "$size" -le "$max_size" ] || fail "$size bytes, over $max_size"
grep -q 'file format pei-i386' <<<"$headers" || fail "not PE32 i386"
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program"
header_value() { awk -v k="$1" '$1 == k { print $2; exit }' <<<"$headers"; }
for field in OSystemVersion SubsystemVersion; do
  version="$(header_value "Major$field").$(header_value "Minor$field")"
  [ "$version" = 4.0 ] || fail "$field $version: Windows 95 and NT 4.0 start only programs that ask for 4.0"
done

# The import table as "DLL function" lines; an import by ordinal would show as its number.
imports=$(awk '
  /^\tDLL Name: / { dll = $3; next }
  /^\tvma: / { in_list = 1; next }
  in_list && NF == 0 { in_list = 0; next }
  in_list { print dll, $NF }' <<<"$headers")
[ -n "$imports" ] || fail "no imports found: objdump output not understood"
refused=$(grep -v -x -i -F -f <(grep -v -e '^#' -e '^$' "$allowed_list") <<<"$imports" || true)
if [ -n "$refused" ]; then
  while read -r dll function; do
    echo "$exe: imports $function from $dll, which is not in tools/win9x-imports.txt:" \
         "Windows 95/98/Me or NT 4.0 would refuse to start the program" >&2
  done <<<"$refused"
  exit 1
fi

# The interruption point of the test build must never be in what is shipped: the program does
# not read the variables that drive it.
for word in KVO_INTERRUPT_AFTER KVO_REGISTRY_LOG; do
  ! grep -qaF "$word" "$exe" || fail "holds $word: the test build's interruption point was shipped"
done

# The resources the program loads: three dialogs, the icon, the string table 5101-5114 (string
# blocks 319 and 320 hold ids 5088-5103 and 5104-5119) and the manifest.
resources=$(wrestool -l "$exe")
for want in "--type=5 --name='SETUPDLG'" "--type=5 --name='CONTEXTITEMS'" "--type=5 --name='DONEDLG'" \
            "--type=14 --name='KVOICON'" "--type=6 --name=319 " "--type=6 --name=320 " "--type=24 --name=1 "; do
  grep -qF -- "$want" <<<"$resources" || fail "resource missing: $want"
done
# The manifest: Vista to 11 elevate the program and report their own version to it, and XP reads
# it without harm. Its errors show only on those systems, never under Wine.
read -r -d '' check_manifest <<'PY' || true  # read ends at the end of input
import html, re, sys
import xml.etree.ElementTree as ET

exe, data = sys.argv[1], sys.stdin.buffer.read()
def fail(message):
    sys.exit(exe + ": manifest: " + message)

try:
    root = ET.fromstring(data)
except ET.ParseError as error:
    fail("not well-formed XML (%s)" % error)

asm1, asm3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
compat = "{urn:schemas-microsoft-com:compatibility.v1}"
if root.tag != asm1 + "assembly":
    fail("root element %s is not assembly in urn:schemas-microsoft-com:asm.v1" % root.tag)
if root.find("%sdependency/%sdependentAssembly/%sassemblyIdentity[@name='Microsoft.Windows.Common-Controls']"
             "[@version='6.0.0.0']" % (asm1, asm1, asm1)) is None:
    fail("no dependency on Microsoft.Windows.Common-Controls 6.0.0.0")

# XP refuses to start a program whose trustInfo is in any other namespace (or none).
for element in root.iter():
    if element.tag.endswith("}trustInfo") and element.tag != asm3 + "trustInfo":
        fail("trustInfo in %s: Windows XP refuses it outside urn:schemas-microsoft-com:asm.v3" % element.tag[1:].split("}")[0])
levels = [e for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
level = root.find("%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel" % (asm3, asm3, asm3, asm3))
if level is None or len(levels) != 1:
    fail("needs exactly one trustInfo/security/requestedPrivileges/requestedExecutionLevel in asm.v3")
if (level.get("level"), level.get("uiAccess")) != ("requireAdministrator", "false"):
    fail('requestedExecutionLevel level="%s" uiAccess="%s": must be requireAdministrator and false'
         % (level.get("level", ""), level.get("uiAccess", "")))

systems = {"Vista": "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
           "8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
           "10 and 11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
listed = {e.get("Id", "").lower() for e in root.findall("%scompatibility/%sapplication/%ssupportedOS" % ((compat,) * 3))}
missing = [name for name, id in systems.items() if id not in listed]
if missing:
    fail("no supportedOS for Windows " + ", ".join(missing))

# System DPI awareness: Vista and later then lay the dialogs out at the screen's DPI instead of
# stretching them as bitmaps. XP reads an application element only in asm.v3, as its own default
# namespace like trustInfo's, and dpiAware in the WindowsSettings namespace; "true" is system
# awareness ("true/pm" would ask for a per-monitor layout the program does not do).
smi = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
aware = [e for e in root.iter() if e.tag.endswith("}dpiAware") or e.tag.endswith("}dpiAwareness")]
if len(aware) != 1 or root.find("%sapplication/%swindowsSettings/%sdpiAware" % (asm3, asm3, smi)) is not aware[0]:
    fail("needs exactly one application/windowsSettings/dpiAware, in asm.v3 and the 2005 WindowsSettings namespace")
if (aware[0].text or "").strip().lower() != "true":
    fail('dpiAware "%s": must be "true" (system DPI awareness)' % (aware[0].text or ""))

# KB921337: XP SP2 crashes (csrss, the machine restarts) on an element that declares one
# namespace twice, such as once as default and once with a prefix. The parser resolves
# declarations away, so each start tag is read as written: comments, CDATA and processing
# instructions taken out first, attributes read one after the other (a value may hold ">").
text = re.sub(r"<!--.*?-->|<!\[CDATA\[.*?\]\]>|<\?.*?\?>", "", data.decode("utf-8"), flags=re.S)
value = r"""(?:"[^"]*"|'[^']*')"""
tags = re.findall(r"<([^\s/>!]+)((?:\s+[^\s=/>]+\s*=\s*" + value + r")*)\s*/?>", text)
if len(tags) != len(list(root.iter())):
    fail("%d start tags read for %d elements: the check does not understand the text" % (len(tags), len(list(root.iter()))))
for element, attributes in tags:
    declared = {}
    for name, quoted in re.findall(r"([^\s=]+)\s*=\s*(" + value + ")", attributes):
        if name != "xmlns" and not name.startswith("xmlns:"):
            continue
        uri = html.unescape(quoted[1:-1])
        if uri in declared:
            fail("<%s> declares %s as %s and as %s (KB921337: Windows XP SP2 crashes)"
                 % (element, uri, declared[uri], name))
        declared[uri] = name
PY
wrestool -x --raw --type=24 --name=1 "$exe" | python3 -c "$check_manifest" "$exe"

# The version resource that Explorer's Properties and Task Manager show: the fixed part and
# the texts, both versions the one of CMakeLists.txt.
version=$(sed -n 's/^project([^ ]* VERSION \([0-9.]*\) .*/\1/p' "$here/../CMakeLists.txt")
read -r -d '' check_version <<'PY' || true
import struct, sys

exe, version, data = sys.argv[1], sys.argv[2], sys.stdin.buffer.read()
def fail(message):
    sys.exit(exe + ": version resource: " + message)

def node(at):
    """A node of the resource: (key, value bytes, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end, key_end = at + length, data.index(b"\0\0", at + 6)
    key_end += (key_end - at) % 2  # the terminator starts on a character
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    value_size = value_length * (2 if kind == 1 else 1)
    children, child = [], (value_at + value_size + 3) & ~3
    while child < end:
        children.append(node(child))
        child = (children[-1][3] + 3) & ~3
    return key, data[value_at:value_at + value_size], children, end

if not data:
    fail("missing")
key, fixed, children, _ = node(0)
signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
numbers = [int(n) for n in version.split(".")] + [0]
want = ((numbers[0] << 16 | numbers[1]), (numbers[2] << 16 | numbers[3]))
if key != "VS_VERSION_INFO" or signature != 0xFEEF04BD:
    fail("no VS_VERSION_INFO with its fixed part")
if (file_ms, file_ls) != want or (product_ms, product_ls) != want:
    fail("file or product version in the fixed part is not %s" % version)
texts = {}
for block in children:
    if block[0] == "StringFileInfo":
        for table in block[2]:
            for name, value, _, _ in table[2]:
                texts[name] = value.decode("utf-16-le").rstrip("\0")
for name in ("CompanyName", "FileDescription", "LegalCopyright", "ProductName"):
    if not texts.get(name):
        fail(name + " missing or empty")
for name, wanted in (("FileVersion", version), ("ProductVersion", version), ("OriginalFilename", "uninstall.exe")):
    if texts.get(name) != wanted:
        fail('%s is "%s", not "%s"' % (name, texts.get(name, ""), wanted))
PY
wrestool -x --raw --type=16 --name=1 "$exe" | python3 -c "$check_version" "$exe" "$version"

echo "$exe: PE32 i386 GUI 4.0, $size bytes, $(wc -l <<<"$imports") imports, all exported by Windows 95/98/Me and NT 4.0," \
     "manifest for XP to 11 (elevated, DPI-aware), version $version$([ "$signed" = 0 ] || echo ", signed")"
