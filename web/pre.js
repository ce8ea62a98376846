// Runs inside the program's script before the program: the event log's device. `--event-log
// /dev/eventlog` writes the log there, and each line becomes one console message (in node, one line
// on standard output, with the program's own output moved to standard error).
var karvostaNode = typeof process === "object" && typeof process.versions === "object" &&
    typeof process.versions.node === "string";
if (karvostaNode && !Module.print) {
  Module.print = function (text) { process.stderr.write(text + "\n"); };
}
Module.preRun = [].concat(Module.preRun || [], [function () {
  var bytes = [];
  var emit = Module.eventLogLine || (karvostaNode ? function (line) { process.stdout.write(line + "\n"); }
                                                  : function (line) { console.log(line); });
  FS.createDevice("/dev", "eventlog", null, function (code) {
    if (code === null || code === undefined) return;
    if (code === 10) {
      emit(String.fromCharCode.apply(null, bytes));
      bytes = [];
    } else {
      bytes.push(code);
    }
  });
}]);
