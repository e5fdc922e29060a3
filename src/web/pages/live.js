'use strict';
// The live page: the run's state from /api/status every few seconds, Start and Stop as
// requests of this page's own origin, and the live picture reopened when its stream ends.
(function () {
  const byId = (id) => document.getElementById(id);
  const states = {
    'running': 'Running',
    'waiting for motion': 'Waiting for motion',
    'waiting for the timer program': 'Waiting for the timer program',
    'camera lost': 'Camera lost',
    'stopped': 'Stopped',
  };

  function when(iso) {
    return new Date(iso).toLocaleString();
  }

  function megabytes(bytes) {
    return Math.floor(bytes / (1024 * 1024)).toLocaleString() + ' MB';
  }

  function show(status) {
    byId('state').textContent = states[status.state] || status.state;
    const last = status.last_picture;
    const thumb = byId('last-thumb');
    if (last) {
      byId('last').textContent = last.number + ' at ' + when(last.time);
      byId('last-link').href = '/picture/' + last.path;
      const src = '/thumbs/' + last.path + '?t=' + encodeURIComponent(last.time);
      if (thumb.getAttribute('src') !== src)
        thumb.src = src;
      thumb.hidden = false;
    } else {
      byId('last').textContent = 'none yet';
      thumb.hidden = true;
    }
    byId('next').textContent = status.next_due ? when(status.next_due) : 'not due';
    byId('interval').textContent = status.interval + ' s';
    byId('disk').textContent = status.disk_free === null ? 'unknown' : megabytes(status.disk_free);
    byId('start').disabled = status.running;
    byId('stop').disabled = !status.running;
  }

  async function refresh() {
    try {
      const reply = await fetch('/api/status', { cache: 'no-store' });
      if (!reply.ok)
        throw new Error(reply.status);
      show(await reply.json());
      byId('message').textContent = '';
    } catch (e) {
      byId('message').textContent = 'The program does not answer.';
    }
  }

  async function press(action) {
    try {
      const reply = await fetch('/api/' + action, { method: 'POST' });
      byId('message').textContent = reply.ok ? '' : (await reply.text());
    } catch (e) {
      byId('message').textContent = 'The program does not answer.';
    }
    setTimeout(refresh, 300);
  }

  byId('start').addEventListener('click', () => press('start'));
  byId('stop').addEventListener('click', () => press('stop'));
  const live = byId('live');
  live.addEventListener('error', () => {
    setTimeout(() => { live.src = '/stream.mjpg?t=' + Date.now(); }, 3000);
  });
  refresh();
  setInterval(refresh, 3000);
})();
