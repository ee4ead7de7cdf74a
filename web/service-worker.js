// The page's service worker: keeps this build's files (build.js names them) in a cache named
// for the build, so that the game starts and plays without a network and can be installed.
// A new build has a new build.js, so the browser installs this worker again: it fetches the
// new files into their own cache, takes over at once and deletes the caches of older builds.
importScripts('build.js');

var cacheName = 'zorbel-' + self.zorbelBuild.version;
var files = Object.keys(self.zorbelBuild.files).concat(['build.js']);

self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(cacheName).then(function (cache) {
    // Past the browser's own cache, which may hold an older build's file.
    return cache.addAll(files.map(function (file) {
      return new Request(file, { cache: 'no-cache' });
    }));
  }).then(function () {
    return self.skipWaiting();
  }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf('zorbel-') === 0 && name !== cacheName;
    }).map(function (name) {
      return caches.delete(name);
    }));
  }).then(function () {
    return self.clients.claim();
  }));
});

// The build's files from the cache, the page under its folder's address as index.html (with
// or without ?mute); anything else from the network.
self.addEventListener('fetch', function (event) {
  var url = new URL(event.request.url);
  if (event.request.method !== 'GET' || url.origin !== self.location.origin) return;
  var page = event.request.mode === 'navigate' && /\/$/.test(url.pathname);
  var key = page ? 'index.html' : event.request;
  event.respondWith(caches.open(cacheName).then(function (cache) {
    return cache.match(key, { ignoreSearch: true, ignoreVary: true });
  }).then(function (cached) {
    return cached || fetch(event.request);
  }));
});
