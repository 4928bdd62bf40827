#!/bin/bash
# Fails when an executable imports a DLL that is not a KnownDLL. Windows takes every other DLL
# from the program's own folder first, so a file planted there would run inside the program;
# such DLLs are loaded at run time from System32 instead (framework/syslib.h).
#   scripts/check-imports.sh build/windows/keyra.exe
set -u
exe="${1:-build/windows/keyra.exe}"
OBJDUMP="${OBJDUMP:-x86_64-w64-mingw32-objdump}"

# Windows' KnownDLLs (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs).
ALLOWED="advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 msctf
msvcrt normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32 ws2_32"

if [ ! -f "$exe" ]; then
    echo "check-imports: missing $exe" >&2
    exit 2
fi
if ! dump="$("$OBJDUMP" -p "$exe" 2>&1)"; then
    echo "check-imports: $OBJDUMP failed: $dump" >&2
    exit 2
fi
names="$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')"
if [ -z "$names" ]; then
    echo "check-imports: no import table found in $exe" >&2
    exit 2
fi

bad=0
while read -r name; do
    base="$(printf '%s' "$name" | tr 'A-Z' 'a-z')"
    base="${base%.dll}"
    case " $(echo $ALLOWED) " in
        *" $base "*) echo "  ok      $name" ;;
        *) echo "  REFUSED $name: not a KnownDLL, load it at run time from System32"; bad=1 ;;
    esac
done <<<"$names"
exit $bad
