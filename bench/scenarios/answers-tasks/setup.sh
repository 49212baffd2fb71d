# The project's Task Scheduler stand-in (tests/wine/task_double) in place of
# the prefix's scheduler, holding 300 tasks in ten folders and taking 3 s to
# list each folder, as a slow service would. bench.sh puts the double's DLL
# in files/ (copied onto C:\).
clsid='HKLM\Software\Classes\CLSID\{0F87369F-A4E5-4CFC-BD3E-73E6154572DD}'
reg() { "$WINE" reg add "$@" /f /reg:64 </dev/null >/dev/null 2>&1; }
reg "$clsid\\InprocServer32" /ve /d 'C:\taskdouble\velmora_task_double.dll'
reg "$clsid\\InprocServer32" /v ThreadingModel /d Both
reg "$clsid" /v TasksFolder /d 'C:\tasks'
reg "$clsid" /v ListDelayMs /t REG_DWORD /d 3000
tasks=$DRIVE_C/tasks
for f in $(seq 1 10); do
  mkdir -p "$tasks/Vendor$f"
  for t in $(seq 1 30); do
    printf '<?xml version="1.0" encoding="UTF-16"?>\r\n<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task"><Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers><Settings><Enabled>true</Enabled></Settings><Actions Context="Author"><Exec><Command>C:\\Vendor%s\\task%s.exe</Command></Exec></Actions></Task>\r\n' "$f" "$t" \
      | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$tasks/Vendor$f/Task $t.xml"
  done
done
