// The robot's pages in a real browser: Debian's Chromium, driven by puppeteer-core, sends a
// clean log from the form and reads the receipt, sends a broken log and reads the findings,
// sends a log full of markup and sees it as text, checks /logs, and takes the screenshots
// of the form, a receipt and a refusal that the operator guide shows.
//
// Usage: node robot_pages.mjs BASE_URL WORK_DIR SOURCE_DIR ARTIFACTS_DIR DEADLINE
// Prints "robot browser test: passed" at the end; any failure throws (exit status 1).
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [base, work, source, artifacts, deadline] = process.argv.slice(2);
const seen = [];
const problems = [];
function check(ok, what) {
  seen.push((ok ? 'ok    ' : 'FAILED') + ' ' + what);
  if (!ok) problems.push(what);
}

const browser = await puppeteer.launch({
  executablePath: process.env.VELMOR_CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: path.join(work, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 760, height: 560 });
  // Anything live in a page would show here: a dialog, or a refusal by the security policy.
  const dialogs = [];
  page.on('dialog', async (d) => { dialogs.push(d.message()); await d.dismiss(); });
  // (A 422 or 404 page is logged as a resource that failed to load: that is no fault.)
  const consoleErrors = [];
  page.on('console', (m) => {
    if (m.type() === 'error' && !m.text().startsWith('Failed to load resource')) consoleErrors.push(m.text());
  });
  page.on('pageerror', (e) => consoleErrors.push(String(e)));

  const text = (selector) => page.$eval(selector, (e) => e.textContent);
  const liveElements = () => page.evaluate(() => document.querySelectorAll('script, img, svg, iframe, object, embed').length);

  // The form.
  let response = await page.goto(base + '/', { waitUntil: 'load' });
  check(response.status() === 200, 'GET / answers 200');
  check(response.headers()['content-security-policy'].includes("default-src 'none'"), 'the form has a strict policy');
  check(await page.$('form[method="post"][action="/upload"][enctype="multipart/form-data"]') !== null, 'the form posts multipart to /upload');
  check(await page.$('input[type="file"][name="log"]') !== null, 'a file field "log"');
  check(await page.$('input[type="email"][name="email"]') !== null, 'an e-mail field "email"');
  check(await page.$('button[type="submit"]') !== null, 'a submit button');
  const rules = await text('p.rules');
  check(rules.includes('Logs are taken until ' + deadline), 'the rules paragraph states the deadline: ' + rules);
  check(await page.$$eval('p', (ps) => ps.length) === 1, 'deadline and rules in one paragraph');
  await page.screenshot({ path: path.join(artifacts, 'robot-form.png') });

  // A clean log: the plug-in's own file of the bundled sample.
  const clean = path.join(source, 'tests/data/velmor/RZ3VLM.cbr');
  await (await page.$('input[name="log"]')).uploadFile(clean);
  await page.type('input[name="email"]', 'rz3vlm@example.org');
  [response] = await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('button[type="submit"]')]);
  check(response.status() === 200, 'the clean log is received (200)');
  const receipt = (await text('#receipt')).trim();
  check(/^[0-9A-Z]{26}$/.test(receipt), 'a receipt code of 26 characters: ' + receipt);
  check((await text('#call')) === 'RZ3VLM', 'the receipt names the call');
  check((await text('#category')) === 'A1', 'the category');
  check((await text('#qso-lines')) === '37', 'the QSO lines');
  check((await text('#claimed')) === '72', 'the claimed score');
  check((await text('#score')) === '72', 'the score velmor score computes');
  check(/^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC$/.test(await text('#received')), 'the time received, UTC');
  check((await text('#warnings')) === '4', 'four warnings');
  check((await page.$$('ul.findings li')).length === 4, 'each warning listed with its line');
  check((await page.content()).indexOf('rz3vlm@example.org') < 0, 'the receipt does not show the e-mail address');
  await page.screenshot({ path: path.join(artifacts, 'robot-receipt.png'), fullPage: true });
  // The receipt's own address shows it again.
  response = await page.goto(base + '/receipt/' + receipt, { waitUntil: 'load' });
  check(response.status() === 200 && (await text('#call')) === 'RZ3VLM', 'GET /receipt/CODE shows the receipt again');

  // A broken log: the example contest's UA4DDD, whose QSO lines a robot cannot take.
  await page.goto(base + '/', { waitUntil: 'load' });
  await (await page.$('input[name="log"]')).uploadFile(path.join(source, 'examples/crosscheck/ua4ddd.cbr'));
  [response] = await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('button[type="submit"]')]);
  check(response.status() === 422, 'the broken log is refused (422)');
  check((await text('#reason')).startsWith('Log refused: 7 errors; nothing was kept.'), 'the refusal counts the errors');
  const findings = await page.$$eval('ul.findings li', (items) => items.map((li) => li.textContent));
  check(findings.length === 8, 'every finding listed: ' + findings.length);
  check(findings.some((f) => f.startsWith('line 17: error: frequency 10120 kHz is outside the contest bands') &&
                             f.includes('QSO: 10120 CW 2026-05-16 1410 UA4DDD')), 'a finding with its line and the line\'s text');
  await page.screenshot({ path: path.join(artifacts, 'robot-rejection.png'), fullPage: true });

  // Markup in every field shown back stays text.
  const markup = fs.readFileSync(clean, 'latin1')
    .replace('CALLSIGN: RZ3VLM', "CALLSIGN: <script>alert('call')</script>")
    .replace('CATEGORY: A1', "CATEGORY: <img src=x onerror=alert('category')>")
    .replace('CLAIMED-SCORE: 72', "CLAIMED-SCORE: \"><svg onload=alert('score')>");
  const markupFile = path.join(work, 'markup.cbr');
  fs.writeFileSync(markupFile, markup, 'latin1');
  await page.goto(base + '/', { waitUntil: 'load' });
  await (await page.$('input[name="log"]')).uploadFile(markupFile);
  [response] = await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('button[type="submit"]')]);
  check(response.status() === 200, 'the markup log is received');
  check((await text('#call')) === "<script>alert('call')</script>", 'the call is shown as written, as text');
  check((await text('#category')) === "<img src=x onerror=alert('category')>", 'the category as text');
  check(await liveElements() === 0, 'nothing from the log became an element');

  // The public list: the latest log of each call, no e-mail or client address.
  response = await page.goto(base + '/logs', { waitUntil: 'load' });
  check(response.status() === 200, 'GET /logs answers 200');
  const rows = await page.$$eval('#logs tbody tr', (trs) => trs.map((tr) => Array.from(tr.cells, (c) => c.textContent)));
  check(rows.length === 2, 'two calls listed');
  const byCall = Object.fromEntries(rows.map((r) => [r[0], r]));
  check(byCall.RZ3VLM && byCall.RZ3VLM[1] === 'A1' && byCall.RZ3VLM[2] === '37' && / UTC$/.test(byCall.RZ3VLM[3]),
        'RZ3VLM: category, QSO lines, time of the latest upload');
  check(byCall["<script>alert('call')</script>"] !== undefined, 'the markup call listed as text');
  const listing = await page.content();
  check(!listing.includes('example.org') && !listing.includes('127.0.0.1'), 'no e-mail or client address on /logs');
  check(await liveElements() === 0, 'nothing live on /logs');

  // Readable on a phone: no page is wider than a phone's screen.
  await page.setViewport({ width: 360, height: 740 });
  for (const address of ['/', '/receipt/' + receipt, '/logs']) {
    await page.goto(base + address, { waitUntil: 'load' });
    const width = await page.evaluate(() => document.documentElement.scrollWidth);
    check(width <= 360, address + ' fits a 360-pixel screen (' + width + ')');
  }
  check(dialogs.length === 0, 'no dialog opened: ' + dialogs.join(', '));
  check(consoleErrors.length === 0, 'no page error or policy refusal: ' + consoleErrors.join(' | '));
} finally {
  await browser.close();
}
console.log(seen.join('\n'));
if (problems.length) {
  console.log('robot browser test: FAILED: ' + problems.join('; '));
  process.exit(1);
}
console.log('robot browser test: passed');
