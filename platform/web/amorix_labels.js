// The windows' labels for assistive technology: the program paints its labels on the canvas,
// which a screen reader cannot read, so each window mirrors them as elements over the canvas
// (text, or a button or link that a click or Enter presses), described afresh after any change,
// and a renamed label that is shown is read out through the page's live region.
mergeInto(LibraryManager.library, {
  $AMXLabels__deps: ['$AMX'],
  $AMXLabels: {
    describeSoon: function(n, w) {
      if (w.describing) return;
      w.describing = true;
      setTimeout(function() {
        w.describing = false;
        if (AMX.windows[n] === w && !AMX.ended) _amorix_describe_labels(n);
      }, 0);
    },
  },

  amx_labels_begin__deps: ['$AMX'],
  amx_labels_begin: function(n) {
    var w = AMX.windows[n];
    if (w) w.labels.replaceChildren();
  },

  amx_label__deps: ['$AMX'],
  amx_label: function(n, label, role, l, t, r, b, shown, name) {
    var w = AMX.windows[n];
    if (!w) return;
    var text = UTF16ToString(name);
    var el = document.createElement(role ? 'div' : 'span');
    el.className = 'amx-label';
    el.dataset.label = label;
    el.style.left = l + 'px';
    el.style.top = t + 'px';
    el.style.width = (r - l) + 'px';
    el.style.height = (b - t) + 'px';
    if (!shown) el.style.display = 'none';
    if (role) {
      el.setAttribute('role', role === 2 ? 'link' : 'button');
      el.setAttribute('aria-label', text);
      el.tabIndex = -1;
      var act = function() { if (!AMX.ended && AMX.windows[n] === w) _amorix_label_action(n, label); };
      el.addEventListener('click', act);
      el.addEventListener('keydown', function(e) {
        if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); act(); }
      });
    } else {
      el.textContent = text;
    }
    w.labels.append(el);
    if (w.renamed.indexOf(label) >= 0 && shown) {
      document.getElementById('amx-live').textContent = text;
    }
  },

  amx_labels_end__deps: ['$AMX'],
  amx_labels_end: function(n) {
    var w = AMX.windows[n];
    if (w) w.renamed = [];
  },

  amx_labels_changed__deps: ['$AMX', '$AMXLabels'],
  amx_labels_changed: function(n, label, renamed) {
    var w = AMX.windows[n];
    if (!w) return;
    if (renamed) w.renamed.push(label);
    AMXLabels.describeSoon(n, w);
  },
});
