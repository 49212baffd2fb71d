// Writes a shortcut through the system's shell-link object, for seeding the
// demo prefix's startup folders:
//   cscript //nologo make-shortcut.js <link file> <target> [arguments] [working folder]
var shell = WScript.CreateObject("WScript.Shell");
var args = WScript.Arguments;
if (args.length < 2) {
  WScript.Echo("usage: make-shortcut.js <link file> <target> [arguments] [working folder]");
  WScript.Quit(2);
}
var link = shell.CreateShortcut(args(0));
link.TargetPath = args(1);
if (args.length > 2) link.Arguments = args(2);
if (args.length > 3) link.WorkingDirectory = args(3);
link.Save();
