# A Run value whose program is a gigabyte long (a real program with a
# gigabyte of zeros after it): its signature check reads every byte. The
# "Hide entries signed by Microsoft" box is set, so the check starts at once.
mkdir -p "$DRIVE_C/big"
cp "$APP_DIR/velmora.exe" "$DRIVE_C/big/big.exe"
truncate -s 1G "$DRIVE_C/big/big.exe"
"$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Big /d 'C:\big\big.exe' /f </dev/null >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Velmora' /v HideWindowsEntries /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
