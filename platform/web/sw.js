// Keeps the whole site in the browser after one visit, so the game starts
// and plays with the network off. The cache is named by a hash of the
// site's files: a new build brings a new name, its copy replaces the old.
'use strict';
const CACHE = 'quondel-@QUONDEL_SITE_HASH@';
const FILES = [@QUONDEL_SITE_FILES@];

self.addEventListener('install', (e) => {
  // Straight from the server: an HTTP cache may still hold the last build.
  e.waitUntil(caches.open(CACHE)
    .then((c) => c.addAll(FILES.map((f) => new Request(f, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (e) => {
  e.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k.startsWith('quondel-') && k !== CACHE).map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});

// The page under any address parameter (?reduce-flashing=1) is the one page.
self.addEventListener('fetch', (e) => {
  if (e.request.method !== 'GET' || new URL(e.request.url).origin !== location.origin) return;
  const key = e.request.mode === 'navigate' ? './' : e.request;
  e.respondWith(caches.open(CACHE)
    .then((c) => c.match(key, { ignoreSearch: true }))
    .then((hit) => hit ?? fetch(e.request)));
});
