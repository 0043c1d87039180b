// Keeps the station's page current without reloading it: the status every 400 ms, the live
// picture whenever the station has a new one (well within a frame of 1.28 s), and the gallery
// whenever the saved pictures change.
"use strict";

const POLL_MS = 400;
const STALE_S = 10;  // a status older than this means the station has stopped telling

let shownPicture = 0;
let loadingPicture = 0;
let galleryStamp = document.body.dataset.gallery;

function byId(id) { return document.getElementById(id); }

function signed(value, digits, unit) {
  if (value === null || value === undefined) return "\u2013";
  // The sign of the value as shown: a value that rounds to nought has none.
  const shown = Number(value.toFixed(digits));
  return (shown > 0 ? "+" : shown < 0 ? "\u2212" : "") + Math.abs(shown).toFixed(digits) + " " + unit;
}

function clockTime(iso) {
  return iso ? iso.replace(/^.*T/, "").replace("Z", "") + " UTC" : "\u2013";
}

function showLive(number) {
  if (number === 0 || number === shownPicture || number === loadingPicture) return;
  loadingPicture = number;
  const next = new Image();
  next.onload = () => {
    if (number < shownPicture) return;
    const live = byId("live");
    live.src = next.src;
    live.dataset.picture = String(number);
    live.hidden = false;
    byId("waiting").hidden = true;
    shownPicture = number;
  };
  next.onerror = () => { loadingPicture = 0; };
  next.src = "/live.png?n=" + number;
}

async function refreshGallery(stamp) {
  if (stamp === galleryStamp || document.body.dataset.page !== "1") return;
  galleryStamp = stamp;
  const answer = await fetch("/gallery?page=1", { cache: "no-store" });
  if (answer.ok) byId("gallery").innerHTML = await answer.text();
}

function showStatus(s) {
  const lock = byId("lock");
  const names = { locked: "Locked", found: "Signal found", none: "No signal" };
  const age = (Date.parse(s.now) - Date.parse(s.taken)) / 1000;
  const stale = !s.taken || age > STALE_S;
  lock.textContent = stale ? "No news from the receiver" : names[s.lock] || s.lock;
  lock.className = stale ? "stale" : s.lock;
  byId("tuning").textContent = signed(s.tuningHz, 2, "Hz");
  byId("clockError").textContent = signed(s.clockPpm, 1, "ppm");
  byId("snr").textContent = s.snrDb === null ? "\u2013" : s.snrDb.toFixed(1) + " dB";
  byId("rig").textContent = s.rig;
  byId("rigLine").hidden = !s.rig;
  byId("pictureTime").textContent = clockTime(s.pictureTime);
  byId("clock").textContent = clockTime(s.now);
  const trouble = byId("trouble");
  trouble.textContent = s.folderTrouble ? "Pictures are waiting in memory: " + s.folderTrouble : "";
  trouble.hidden = !s.folderTrouble;
}

async function poll() {
  try {
    const answer = await fetch("/status.json", { cache: "no-store" });
    if (answer.ok) {
      const s = await answer.json();
      showStatus(s);
      showLive(s.picture);
      await refreshGallery(s.gallery);
    }
  } catch (e) {
    byId("lock").textContent = "The station does not answer";
    byId("lock").className = "stale";
  }
  setTimeout(poll, POLL_MS);
}

poll();
