// Painting: a window's paints gathered into one per animation frame, drawn by the program on the
// window's canvas through the calls below. A paint that finds a picture or a face not yet in is
// made again when they are, and a window stays transparent until its first whole paint, or until
// it has waited WAIT ms for what stalls, when it shows what has arrived; its timers count from
// then, as they do where its picture and faces are at hand when it is made.
mergeInto(LibraryManager.library, {
  $AMXPaint__deps: ['$AMX', '$AMXFetch'],
  $AMXPaint: {
    lacking: null,  // while a paint runs: what it found missing (promises that settle when in)
    // For the benchmark: when each timer ticked, and when each window's first paint was done (in
    // the frame that shows it), in milliseconds since navigation.
    stats: {ticks: [], painted: []},

    soon: function(n, w, l, t, r, b) {
      var d = w.dirty;
      w.dirty = d ? [Math.min(d[0], l), Math.min(d[1], t), Math.max(d[2], r), Math.max(d[3], b)]
                  : [l, t, r, b];
      if (w.frame) return;
      w.frame = requestAnimationFrame(function() {
        w.frame = 0;
        var d = w.dirty;
        w.dirty = null;
        if (AMX.windows[n] !== w || AMX.ended) return;
        var lacking = AMXPaint.lacking = [];
        _amorix_paint(n, d[0], d[1], d[2], d[3]);
        AMXPaint.lacking = null;
        AMXPaint.painted(n, w, lacking);
      });
    },
    WAIT: 4000,
    whole: function(n, w) {
      if (AMX.windows[n] === w) AMXPaint.soon(n, w, 0, 0, parseFloat(w.el.style.width), parseFloat(w.el.style.height));
    },
    everywhere: function() {
      for (var n in AMX.windows) AMXPaint.whole(+n, AMX.windows[n]);
    },
    painted: function(n, w, lacking) {
      if (lacking.length && !w.waiting) {
        w.waiting = true;
        Promise.allSettled(lacking).then(function() { w.waiting = false; AMXPaint.whole(n, w); });
      }
      if (w.painted || lacking.length && !w.late) return;
      AMXPaint.stats.painted.push([w.caption, performance.now()]);
      w.painted = true;
      w.el.style.opacity = '';
      for (var t in w.held) AMXPaint.startTimer(n, w, +t, w.held[t]);
      w.held = {};
      AMXFetch.rest();
    },
    // The picture if it is in; if not, asked for, and the paint that wanted it told so.
    arrived: function(id) {
      var img = AMXFetch.picture(id);
      if (img && !img.complete && AMXPaint.lacking) AMXPaint.lacking.push(img.decode());
      return img && img.complete ? img : null;
    },
    startTimer: function(n, w, timer, ms) {
      w.timers[timer] = setInterval(function() {
        AMXPaint.stats.ticks.push(performance.now());
        if (!AMX.ended && AMX.windows[n] === w) _amorix_timer(n, timer);
      }, Math.max(ms, 10));
    },
  },

  amx_invalidate__deps: ['$AMX', '$AMXPaint'],
  amx_invalidate: function(n, l, t, r, b) {
    var w = AMX.windows[n];
    if (w) AMXPaint.soon(n, w, l, t, r, b);
  },

  amx_timer_start__deps: ['$AMX', '$AMXPaint'],
  amx_timer_start: function(n, timer, ms) {
    var w = AMX.windows[n];
    if (!w) return;
    clearInterval(w.timers[timer]);
    if (w.painted) AMXPaint.startTimer(n, w, timer, ms); else w.held[timer] = ms;
  },

  amx_timer_stop__deps: ['$AMX'],
  amx_timer_stop: function(n, timer) {
    var w = AMX.windows[n];
    if (!w) return;
    clearInterval(w.timers[timer]);
    delete w.timers[timer];
    delete w.held[timer];
  },

  amx_paint_begin__deps: ['$AMX'],
  amx_paint_begin: function(n, l, t, r, b) {
    var w = AMX.windows[n];
    if (!w) return;
    var c = w.ctx;
    c.save();
    c.setTransform(w.ratio, 0, 0, w.ratio, 0, 0);
    c.beginPath();
    c.rect(l, t, r - l, b - t);
    c.clip();
  },

  amx_fill__deps: ['$AMX'],
  amx_fill: function(n, l, t, r, b, rgb) {
    var w = AMX.windows[n];
    if (!w) return;
    w.ctx.fillStyle = AMX.color(rgb);
    w.ctx.fillRect(l, t, r - l, b - t);
  },

  amx_picture_width__deps: ['$AMXPaint'],
  amx_picture_width: function(id) {
    var img = AMXPaint.arrived(id);
    return img ? img.naturalWidth : 0;
  },

  amx_picture_height__deps: ['$AMXPaint'],
  amx_picture_height: function(id) {
    var img = AMXPaint.arrived(id);
    return img ? img.naturalHeight : 0;
  },

  // Stretched over the rectangle, smoothly, when the canvas's pixels are finer than the page's.
  amx_picture__deps: ['$AMX', '$AMXPaint'],
  amx_picture: function(n, id, l, t, r, b) {
    var w = AMX.windows[n], img = AMXPaint.arrived(id);
    if (!w || !img || !img.naturalWidth) return;
    w.ctx.imageSmoothingQuality = 'high';
    w.ctx.drawImage(img, l, t, r - l, b - t);
  },

  // Word-wrapped as the system's DrawText wraps: at spaces, a word too long for a line kept whole
  // and clipped; the first baseline the font's ascent below the top.
  amx_text__deps: ['$AMX', '$AMXPaint'],
  amx_text: function(n, l, t, r, b, text, face, px, bold, italic, underline, rgb, center) {
    var w = AMX.windows[n];
    if (!w) return;
    var c = w.ctx, width = r - l;
    c.save();
    c.beginPath();
    c.rect(l, t, width, b - t);
    c.clip();
    var s = UTF16ToString(text);
    c.font = AMX.font(UTF16ToString(face), px, bold, italic);
    var asked = AMXFetch.face(c.font, s);
    if (asked) AMXPaint.lacking.push(asked);
    c.fillStyle = AMX.color(rgb);
    c.textBaseline = 'alphabetic';
    var m = c.measureText('Hg');
    var ascent = Math.round(m.fontBoundingBoxAscent), height = ascent + Math.round(m.fontBoundingBoxDescent);
    var lines = [];
    s.split(/\r\n|\r|\n/).forEach(function(paragraph) {
      var line = '';
      paragraph.split(' ').forEach(function(word, i) {
        var tried = i ? line + ' ' + word : word;
        if (i && line && c.measureText(tried).width > width) { lines.push(line); line = word; }
        else line = tried;
      });
      lines.push(line);
    });
    lines.forEach(function(line, i) {
      var lw = c.measureText(line).width;
      var x = center ? l + (width - lw) / 2 : l, y = t + ascent + i * height;
      c.fillText(line, x, y);
      if (underline) c.fillRect(x, y + Math.max(1, Math.round(px / 10)), lw, Math.max(1, Math.round(px / 16)));
    });
    c.restore();
  },

  amx_paint_end__deps: ['$AMX'],
  amx_paint_end: function(n) {
    var w = AMX.windows[n];
    if (w) w.ctx.restore();
  },
});
