// The end of the program: once the event that ended it is over, every window goes and the page
// says so, with a button that starts the program again (a new load of the page); a run-time
// error is told first, in the page's dialog. A module that fails to load or to start (missing,
// or of another build) is told the same way, as the page tells a script that fails to load.
mergeInto(LibraryManager.library, {
  $AMXEnd__deps: ['$AMX'],
  $AMXEnd__postset: "addEventListener('error', AMXEnd.failed);" +
                    "addEventListener('unhandledrejection', AMXEnd.failed);",
  $AMXEnd: {
    failed: function() {
      if (AMX.started) return;
      AMX.ended = true;
      document.body.classList.add('amx-failed');
      document.getElementById('amx-restart').focus();
    },
    stop: function() {
      AMX.ended = true;
      for (var n in AMX.windows) {
        var w = AMX.windows[n];
        for (var id in w.timers) clearInterval(w.timers[id]);
        w.el.remove();
      }
      AMX.windows = {};
      AMX.edits = {};
    },
    showEnded: function(status) {
      window.amorixExitStatus = status;
      document.title = 'Quillon Amorix';
      document.getElementById('amx-ended').hidden = false;
      document.getElementById('amx-restart').focus();
    },
  },

  amx_end__deps: ['$AMX', '$AMXEnd'],
  amx_end: function(status) {
    setTimeout(function() { AMXEnd.stop(); AMXEnd.showEnded(status); }, 0);
    AMX.ended = true;
  },

  amx_fatal__deps: ['$AMX', '$AMXEnd'],
  amx_fatal: function(message) {
    AMX.ended = true;
    var text = UTF16ToString(message);
    setTimeout(function() {
      var dialog = document.getElementById('amx-fatal');
      dialog.querySelector('p').textContent = text;
      dialog.addEventListener('close', function() { AMXEnd.stop(); AMXEnd.showEnded(1); }, {once: true});
      dialog.showModal();
    }, 0);
  },
});
