// What the user does to a window: the pointer and the keys on its background, its tooltips, its
// text boxes (native <input> elements), and the links it opens. A press may become the move of
// the window (amx_begin_move), which then takes the pointer until the release.
mergeInto(LibraryManager.library, {
  $AMXInput__deps: ['$AMX'],
  $AMXInput: {
    // Client pixels of a browser event on window w.
    at: function(w, e) {
      var r = w.el.getBoundingClientRect();
      return [Math.floor((e.clientX - r.left) / AMX.scale),
              Math.floor((e.clientY - r.top) / AMX.scale)];
    },
    // What a box keeps of TEXT put in where KEPT units of its own stay (the program's FitToBox).
    fit: function(text, kept, maxLength) {
      var p = _amorix_input_buffer(text.length);
      stringToUTF16(text, p, (text.length + 1) * 2);
      return UTF16ToString(p, _amorix_fit_input(kept, maxLength) * 2);
    },
    keys: function(e) { return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0); },
    mouse: function(n, kind, e) {
      var w = AMX.windows[n];
      var p = AMXInput.at(w, e);
      _amorix_mouse(n, kind, p[0], p[1], e.button < 0 ? 0 : e.button, AMXInput.keys(e));
    },
    tooltip: function(w, x, y) {
      var text = '';
      for (var id in w.tools) {
        var t = w.tools[id];
        if (x >= t[0] && x < t[2] && y >= t[1] && y < t[3]) { text = t[4]; break; }
      }
      if (w.el.title !== text) w.el.title = text;
    },
    listen: function(n, w) {
      var el = w.el;
      var own = function(e) { return e.target.tagName !== 'INPUT'; };
      el.addEventListener('mousedown', function(e) { if (own(e)) e.preventDefault(); });
      el.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      el.addEventListener('pointerdown', function(e) {
        if (AMX.ended || AMX.moving || !AMX.windows[n]) return;
        AMX.activate(w);
        if (!own(e)) return;
        e.preventDefault();
        el.setPointerCapture(e.pointerId);
        AMX.press = {window: n, pointerId: e.pointerId, x: e.clientX, y: e.clientY};
        AMXInput.mouse(n, 1, e);
      });
      // A move goes on from the pointer's last point in the desktop's pixels as they are then, so
      // that a resize on the way does not make the window jump, and it stays whole in view.
      el.addEventListener('pointermove', function(e) {
        var m = AMX.moving;
        if (m && m.window === n) {
          w.moved = true;
          w.el.style.left = (parseFloat(w.el.style.left) + (e.clientX - m.x) / AMX.scale) + 'px';
          w.el.style.top = (parseFloat(w.el.style.top) + (e.clientY - m.y) / AMX.scale) + 'px';
          m.x = e.clientX;
          m.y = e.clientY;
          AMX.place(w);
          return;
        }
        // A finger does not hover: it presses, drags and lifts.
        if (AMX.ended || e.pointerType === 'touch' || !own(e)) return;
        var p = AMXInput.at(w, e);
        AMXInput.tooltip(w, p[0], p[1]);
        AMXInput.mouse(n, 0, e);
      });
      // The release ends a press; a press that loses the pointer otherwise (cancelled, or its
      // capture taken) ends too, and the window loses the mouse.
      var up = function(e) {
        var pressed = AMX.press && AMX.press.pointerId === e.pointerId;
        var moving = AMX.moving && AMX.moving.window === n;
        if (pressed) AMX.press = null;
        if (moving) AMX.moving = null;
        if (AMX.ended || AMX.windows[n] !== w) return;
        if (e.type !== 'pointerup') {
          if (pressed || moving) _amorix_capture_lost(n);
        } else if (!moving && own(e)) {  // the move takes the release
          AMXInput.mouse(n, 2, e);
        }
      };
      el.addEventListener('pointerup', up);
      el.addEventListener('pointercancel', up);
      el.addEventListener('lostpointercapture', up);
      // Tab and Shift+Tab go round the window's visible text boxes in creation order.
      el.addEventListener('keydown', function(e) {
        if (e.key !== 'Tab') return;
        e.preventDefault();
        var order = w.edits.filter(function(i) { return i.style.display !== 'none'; });
        if (!order.length) return;
        var at = order.indexOf(document.activeElement);
        var next = at < 0 ? 0 : (at + (e.shiftKey ? order.length - 1 : 1)) % order.length;
        order[next].focus();
        order[next].select();
      });
    },
  },

  amx_set_tooltip__deps: ['$AMX'],
  amx_set_tooltip: function(n, tool, l, t, r, b, text) {
    var w = AMX.windows[n];
    if (!w) return;
    var s = UTF16ToString(text);
    if (s) w.tools[tool] = [l, t, r, b, s]; else delete w.tools[tool];
  },

  amx_edit_create__deps: ['$AMX'],
  amx_edit_create: function(n, edit, l, t, r, b, face, px, bold, italic, rgb, background, center,
                            maxLength, visible, name) {
    var w = AMX.windows[n];
    if (!w) return;
    var i = document.createElement('input');
    i.type = 'text';
    i.className = 'amx-edit';
    i.dataset.edit = edit;
    i.autocomplete = 'off';
    i.spellcheck = false;
    i.style.left = l + 'px';
    i.style.top = t + 'px';
    i.style.width = (r - l) + 'px';
    i.style.height = (b - t) + 'px';
    i.style.font = AMX.font(UTF16ToString(face), px, bold, italic);
    i.style.color = AMX.color(rgb);
    i.style.background = AMX.color(background);
    i.style.textAlign = center ? 'center' : 'left';
    if (maxLength > 0) i.maxLength = maxLength;  // counted in UTF-16 units, as Windows counts
    if (!visible) i.style.display = 'none';
    var label = UTF16ToString(name);
    if (label) i.setAttribute('aria-label', label);
    // Text that came in by another way (the page's own editing commands, autofill) is mended to
    // what the box would have kept of it.
    var changed = function() {
      if (AMX.ended || AMX.windows[n] !== w) return;
      var mended = AMXInput.fit(i.value, 0, 0);
      if (mended !== i.value) i.value = mended;
      _amorix_edit_changed(n, edit);
    };
    i.addEventListener('input', changed);
    // What the user types or pastes goes in as the box keeps it: one line, no half of a pair
    // without the other, nothing beyond the limit; the engine's own insertion when that is all.
    var put = function(e, text) {
      if (AMX.ended || typeof text !== 'string' || !e.cancelable) return;
      var start = i.selectionStart, end = i.selectionEnd;
      var kept = AMXInput.fit(text, i.value.length - (end - start), maxLength);
      if (kept === text) return;
      e.preventDefault();
      if (!kept) return;
      i.setRangeText(kept, start, end, 'end');
      changed();
    };
    i.addEventListener('paste', function(e) {
      put(e, e.clipboardData && e.clipboardData.getData('text/plain'));
    });
    i.addEventListener('beforeinput', function(e) {
      if (!/^insert(Text|ReplacementText|FromPaste|FromDrop|FromYank)$/.test(e.inputType)) return;
      put(e, e.data !== null ? e.data : e.dataTransfer && e.dataTransfer.getData('text/plain'));
    });
    w.edits.push(i);
    AMX.edits[edit] = i;
    w.el.insertBefore(i, w.labels);
  },

  amx_edit_length__deps: ['$AMX'],
  amx_edit_length: function(edit) {
    var i = AMX.edits[edit];
    return i ? i.value.length : 0;
  },

  amx_edit_text__deps: ['$AMX'],
  amx_edit_text: function(edit, out, units) {
    var i = AMX.edits[edit];
    stringToUTF16(i ? i.value : '', out, (units + 1) * 2);
  },

  amx_edit_set_text__deps: ['$AMX'],
  amx_edit_set_text: function(edit, text) {
    var i = AMX.edits[edit];
    if (!i) return;
    var n = +i.closest('.amx-form').dataset.window;
    i.value = UTF16ToString(text);
    // As a Windows edit reports a change of its text however it came about.
    if (AMX.windows[n]) _amorix_edit_changed(n, edit);
  },

  amx_edit_visible__deps: ['$AMX'],
  amx_edit_visible: function(edit, visible) {
    var i = AMX.edits[edit];
    if (i) i.style.display = visible ? '' : 'none';
  },

  amx_edit_focus__deps: ['$AMX'],
  amx_edit_focus: function(edit) {
    var i = AMX.edits[edit];
    if (i) i.focus();
  },

  // A link, in a new tab that learns nothing of this page.
  amx_open: function(address) {
    window.open(UTF8ToString(address), '_blank', 'noopener');
  },
});
