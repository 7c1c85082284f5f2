// The program as an installed, offline one: once a window is on the screen, every file of the
// build is kept for use offline by the service worker (sw.js); where that cannot be, the program
// runs online. The page names its web app manifest only then: the browser fetches the
// manifest's icons as soon as it is named, and they would share the link with the first window.
mergeInto(LibraryManager.library, {
  $AMXOffline: {
    keep: function() {
      var manifest = document.createElement('link');
      manifest.rel = 'manifest';
      manifest.href = 'amorix.webmanifest';
      document.head.append(manifest);
      if ('serviceWorker' in navigator) {
        navigator.serviceWorker.register('sw.js').catch(function(e) {
          console.warn('Amorix will not work offline:', e);
        });
      }
    },
  },
});
