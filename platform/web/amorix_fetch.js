// The pictures: main() names each one's file (amx_picture_file), and each is fetched when a paint
// first needs it, those the page preloads at once; one that fails is asked for again, later each
// time, by painting the windows afresh. Once a window is on the screen, what the others will need
// comes in while the user looks: every picture and every face.
mergeInto(LibraryManager.library, {
  $AMXFetch__deps: ['$AMXOffline', '$AMXPaint'],
  $AMXFetch: {
    pictures: {},  // id: {file, img, wait: ms before a failed one is asked for again}
    faces: {},     // font and text: while their faces are asked for, the promise that they are
    fetched: false,
    picture: function(id) {
      var p = AMXFetch.pictures[id];
      if (p && !p.img) {
        p.img = new Image();
        p.img.onerror = function() {
          p.wait = Math.min(2 * (p.wait || 500), 30000);
          setTimeout(function() { p.img = null; AMXPaint.everywhere(); }, p.wait);
        };
        p.img.src = p.file;
      }
      return p && p.img;
    },
    // The faces a text wants, asked for once: a face that fails stays in error, and the text is
    // drawn with the next.
    face: function(font, s) {
      var key = font + '\n' + s, done = function() { AMXFetch.faces[key] = null; };
      if (!(key in AMXFetch.faces) && !document.fonts.check(font, s)) {
        AMXFetch.faces[key] = document.fonts.load(font, s).then(done, done);
      }
      return AMXFetch.faces[key];
    },
    // What the page preloads for the first window is decoded before that window first paints.
    preloaded: function() {
      document.querySelectorAll('link[rel=preload][as=image]').forEach(function(link) {
        for (var id in AMXFetch.pictures) {
          if (AMXFetch.pictures[id].file === link.getAttribute('href')) AMXFetch.picture(id);
        }
      });
    },
    rest: function() {
      if (AMXFetch.fetched) return;
      AMXFetch.fetched = true;
      AMXOffline.keep();
      for (var id in AMXFetch.pictures) AMXFetch.picture(id);
      document.fonts.forEach(function(f) { f.load().catch(function() {}); });
    },
  },

  amx_picture_file__deps: ['$AMXFetch'],
  amx_picture_file: function(id, file) {
    AMXFetch.pictures[id] = {file: UTF8ToString(file), img: null};
  },
});
