// BandePassante's measuring page: latency at rest, then download, upload and
// both at once, against the receiver that served the page.
'use strict';

(() => {
  const KIO = 1024;
  const MIO = 1048576;
  const SENS = ['descendant', 'montant'];
  const PHASES = ['descendant', 'montant', 'simultane'];
  const CLE_LIEU = 'bandepassante.lieu';
  const $ = (id) => document.getElementById(id);

  // The first of the browser's languages that is English or French decides.
  const langues = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ''];
  const prefere = langues.map((l) => String(l).toLowerCase()).find((l) => l.startsWith('en') || l.startsWith('fr'));
  const anglais = Boolean(prefere && prefere.startsWith('en'));

  const TEXTES = {
    fr: {
      sousTitre: 'Mesure du débit entre cet appareil et le récepteur',
      lieu: 'Lieu',
      lieuExemple: 'Salon, bureau…',
      duree: 'Durée de chaque phase',
      mesurer: 'Mesurer',
      arreter: 'Arrêter',
      reessayer: 'Réessayer',
      pret: 'Prêt',
      termine: 'Terminé',
      arreteCourt: 'Arrêté',
      coupeCourt: 'Coupé',
      repos: 'Latence au repos',
      descendant: 'Réception',
      montant: 'Envoi',
      simultane: 'Les deux à la fois',
      descendantFleche: 'Réception ↓',
      montantFleche: 'Envoi ↑',
      seul: 'Chaque sens seul',
      resultats: 'Résultats',
      moyenne: 'moyenne',
      maximum: 'max',
      latence: 'Latence',
      auRepos: 'au repos',
      enCharge: 'en charge',
      note: 'note',
      lien: 'Lien du récepteur : ',
      reste: (s) => `encore ${s} s`,
      latenceDirecte: (v) => `Latence : ${v}`,
      occupe: (qui, s) => `Le récepteur mesure déjà ${qui} depuis ${s} s : réessayez dans un moment.`,
      coupe: 'Mesure coupée : la connexion avec le récepteur a été perdue.',
      arrete: 'Mesure arrêtée : voici ce qui a été mesuré.',
      injoignable: 'Le récepteur ne répond pas.',
      refus: (r) => `Refusé par le récepteur : ${r}`,
    },
    en: {
      sousTitre: 'Throughput between this device and the receiver',
      lieu: 'Place',
      lieuExemple: 'Living room, office…',
      duree: 'Length of each phase',
      mesurer: 'Measure',
      arreter: 'Stop',
      reessayer: 'Try again',
      pret: 'Ready',
      termine: 'Done',
      arreteCourt: 'Stopped',
      coupeCourt: 'Cut',
      repos: 'Latency at rest',
      descendant: 'Download',
      montant: 'Upload',
      simultane: 'Both at once',
      descendantFleche: 'Download ↓',
      montantFleche: 'Upload ↑',
      seul: 'Each direction alone',
      resultats: 'Results',
      moyenne: 'mean',
      maximum: 'max',
      latence: 'Latency',
      auRepos: 'at rest',
      enCharge: 'under load',
      note: 'grade',
      lien: "Receiver's link: ",
      reste: (s) => `${s} s left`,
      latenceDirecte: (v) => `Latency: ${v}`,
      occupe: (qui, s) => `The receiver is already measuring ${qui} (for ${s} s): try again in a moment.`,
      coupe: 'Measurement cut: the connection with the receiver was lost.',
      arrete: 'Measurement stopped: here is what was measured.',
      injoignable: 'The receiver does not answer.',
      refus: (r) => `Refused by the receiver: ${r}`,
    },
  };
  const T = TEXTES[anglais ? 'en' : 'fr'];

  // ---- Figures, written as the program writes them: powers of 1024, one decimal.

  const VIRGULE = anglais ? '.' : ',';
  const UNITES = anglais
    ? { octets: [' bytes', ' KiB', ' MiB', ' GiB'], bits: [' bits', ' Kibit', ' Mibit', ' Gibit'] }
    : { octets: [' Octets', ' Ko', ' Mo', ' Go'], bits: [' Bits', ' Kb', ' Mb', ' Gb'] };
  const TAILLES = [KIO, MIO, 1073741824];

  // At most 15 significant digits, no trailing zeros.
  const nombreGeneral = (v) => String(Number(v.toPrecision(15))).replace('.', VIRGULE);

  // x × 10 rounded to a whole number, halves to even, judged on the exact
  // product: x × 8 and x × 2 are exact, and their sum's error is recovered.
  function dixiemes(x) {
    const a = x * 8;
    const b = x * 2;
    const s = a + b;
    const bb = s - a;
    const erreur = a - (s - bb) + (b - bb);
    const bas = Math.floor(s);
    if (s - bas !== 0.5) return Math.round(s);
    if (erreur !== 0) return erreur > 0 ? bas + 1 : bas;
    return bas % 2 === 0 ? bas : bas + 1;
  }

  // `octets` in the unit that suits `facteur` × octets (1 for bytes, 8 for bits).
  function formate(octets, facteur, unites) {
    let rang = -1;
    if (Number.isFinite(octets)) {
      for (let r = 2; r >= 0 && rang < 0; r--) if (octets >= TAILLES[r] / facteur) rang = r;
    }
    if (rang < 0) return nombreGeneral(octets * facteur) + unites[0];
    let t = dixiemes(octets / (TAILLES[rang] / facteur));
    // 1023,95 Ko rounds to 1024,0 Ko: that is 1,0 Mo.
    if (t >= 10240 && rang < 2) t = dixiemes(octets / (TAILLES[++rang] / facteur));
    const chiffres = BigInt(t).toString();
    return chiffres.slice(0, -1) + VIRGULE + chiffres.slice(-1) + unites[rang + 1];
  }

  const formateOctets = (v) => formate(v, 1, UNITES.octets);
  const formateBits = (v) => formate(v, 8, UNITES.bits);
  // A round trip on a local link is a few hundredths of a millisecond.
  const formateMs = (ms) => ms.toFixed(ms < 1 ? 2 : 1).replace('.', VIRGULE) + ' ms';

  function mediane(valeurs) {
    if (!valeurs.length) return null;
    const v = valeurs.slice().sort((a, b) => a - b);
    const m = v.length >> 1;
    return v.length % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
  }

  // Grade of the latency's increase under load, in milliseconds.
  function note(hausse) {
    for (const [borne, lettre] of [[5, 'A+'], [30, 'A'], [60, 'B'], [200, 'C'], [400, 'D']]) {
      if (hausse < borne) return lettre;
    }
    return 'F';
  }

  // Rate over the last second or so, from cumulative counts as they come.
  function glisse(points, t, total) {
    points.push({ t, total });
    while (points.length > 2 && t - points[1].t >= 1000) points.shift();
    const p = points[0];
    return t > p.t ? ((total - p.total) * 1000) / (t - p.t) : 0;
  }

  const pause = (ms) => new Promise((resous) => setTimeout(resous, ms));

  // Filler for the upload, random so that nothing on the way can compress it.
  const REMPLISSAGE = new Uint8Array(MIO);
  for (let i = 0; i < MIO; i += 65536) crypto.getRandomValues(REMPLISSAGE.subarray(i, i + 65536));

  // ---- State

  let etat = 'repos';
  let resultats = null;
  let mesure = null; // the run in progress
  let course = null; // its promise, for the test hook
  let vue = null; // the phase the chart shows

  // ---- The receiver's state

  async function litEtat() {
    try {
      const r = await fetch('/etat', { cache: 'no-store' });
      if (!r.ok) return null;
      const e = await r.json();
      if (typeof e.recepteur === 'string' && e.recepteur) $('adresse').textContent = e.recepteur;
      if (typeof e.lien === 'string') $('lien').textContent = T.lien + e.lien;
      return e;
    } catch (err) {
      return null;
    }
  }

  function montreOccupe(o) {
    $('bandeau-texte').textContent = T.occupe(String(o.qui ?? '?'), Number(o.depuis_s) || 0);
    $('bandeau').hidden = false;
  }

  function message(texte, grave) {
    $('message').textContent = texte;
    $('message').hidden = !texte;
    $('message').classList.toggle('info', !grave);
  }

  // ---- A run

  function lance(duree) {
    if (!mesure) course = deroule(duree);
    return course;
  }

  function arrete() {
    if (!mesure) return;
    mesure.arret = true;
    if (mesure.phase) finSiPret(mesure, mesure.phase);
    metsAJourCommandes();
  }

  async function deroule(duree) {
    duree = Math.min(60, Math.max(1, Math.round(Number(duree)) || dureeChoisie()));
    const radio = document.querySelector(`input[name="duree"][value="${duree}"]`);
    if (radio) radio.checked = true;
    // test groups the run's phases at the receiver; repos and charge are round trips in ms.
    const m = { duree, lieu: $('lieu').value.trim(), test: String(Date.now()), arret: false, phase: null };
    Object.assign(m, { sockets: [], repos: [], charge: [], pings: new Map(), compteur: 0, refus: {} });
    mesure = m;
    vue = null;
    resultats = { latence: { repos_ms: null, charge_ms: null, note: null }, descendant: null, montant: null };
    resultats.simultane = { descendant: null, montant: null };
    etat = 'mesure';
    $('bandeau').hidden = true;
    $('resultats').hidden = true;
    message('');
    metsAJourCommandes();
    const minuteur = setInterval(rafraichit, 250);
    let fin = 'fini';
    try {
      const e = await litEtat();
      if (e && e.occupe) {
        montreOccupe(e);
        fin = 'occupe';
        return;
      }
      // Rejected when a connection ends before the run does.
      m.coupure = new Promise((_, rejette) => (m.coupe = rejette));
      m.coupure.catch(() => {});
      [m.ws, m.wsLatence] = await attends(m, Promise.all([ouvre(m, '/ws'), ouvre(m, '/ws/latence')]));
      m.ws.onmessage = (e) => recoit(m, e);
      m.wsLatence.onmessage = (e) => echo(m, e.data);
      montrePhase('repos');
      await attends(m, latenceRepos(m));
      for (const sens of PHASES) {
        if (m.arret) break;
        const r = await attends(m, phase(m, sens));
        if (r.type === 'occupe') {
          montreOccupe(r);
          fin = 'occupe';
          break;
        }
        if (r.type === 'refus') m.refus[sens] = String(r.raison ?? '');
        else enregistre(m.phase, r);
      }
    } catch (err) {
      fin = 'coupe';
      if (m.phase && m.phase.debute && !m.phase.fait) enregistre(m.phase, null);
    } finally {
      clearInterval(minuteur);
      termine(m, fin);
    }
  }

  const attends = (m, promesse) => Promise.race([promesse, m.coupure]);

  function ouvre(m, chemin) {
    return new Promise((resous, rejette) => {
      const ws = new WebSocket(`ws://${location.host}${chemin}`);
      ws.binaryType = 'arraybuffer';
      m.sockets.push(ws);
      ws.onopen = () => resous(ws);
      ws.onclose = () => {
        rejette(new Error(chemin));
        m.coupe(new Error(chemin));
      };
    });
  }

  function termine(m, fin) {
    const ph = m.phase;
    if (ph) {
      // Whatever ended it, the phase's chart stops where it was.
      arretePhase(ph);
      ph.fait = true;
      if (ph.debute && ph.completes === undefined) ph.completes = secondesCompletes(ph);
    }
    for (const ws of m.sockets) {
      ws.onclose = null;
      ws.close();
    }
    const repos = mediane(m.repos);
    const charge = mediane(m.charge);
    const lettre = repos !== null && charge !== null ? note(charge - repos) : null;
    resultats.latence = { repos_ms: repos, charge_ms: charge, note: lettre };
    mesure = null;
    etat = fin;
    if (fin === 'coupe') message(T.coupe, true);
    else if (m.arret) message(T.arrete, false);
    $('phase').textContent = { fini: m.arret ? T.arreteCourt : T.termine, coupe: T.coupeCourt, occupe: T.pret }[fin];
    $('reste').textContent = '';
    $('latence-direct').textContent = '';
    for (const sens of SENS) $(`direct-${sens}`).hidden = true;
    metsAJourCommandes();
    afficheResultats(m);
    dessine();
  }

  // ---- Latency, on the second connection

  function ping(m, enCharge) {
    return new Promise((resous) => {
      const cle = String(++m.compteur);
      m.pings.set(cle, { t: performance.now(), enCharge, resous });
      m.wsLatence.send(cle);
    });
  }

  function echo(m, cle) {
    const p = m.pings.get(cle);
    if (!p) return;
    m.pings.delete(cle);
    const rtt = performance.now() - p.t;
    (p.enCharge ? m.charge : m.repos).push(rtt);
    $('latence-direct').textContent = T.latenceDirecte(formateMs(rtt));
    p.resous();
  }

  // At least 10 round trips, one after the other; a lost echo is given up after 2 s.
  async function latenceRepos(m) {
    for (let i = 0; i < 30 && m.repos.length < 12 && !m.arret; i++) {
      await Promise.race([ping(m, false), pause(2000)]);
      await pause(40);
    }
  }

  // ---- A phase, on the measurement connection

  function phase(m, sens) {
    // envoye: bytes this page sent, only to bound what is in flight; recu: the
    // receiver's count of them; secondes: the receiver's per-second counts.
    const ph = { sens, duree: m.duree, debute: false, fait: false, envoie: false, envoye: 0, recu: 0 };
    Object.assign(ph, { tempsEcoule: false, finEnvoi: false, finEnvoyee: false, pageSecondes: [] });
    ph.secondes = { descendant: [], montant: [] };
    ph.descendant = { total: 0, points: [], debit: 0 };
    ph.montant = { points: [], debit: 0 };
    m.phase = ph;
    montrePhase(sens);
    return new Promise((resous) => {
      ph.termine = resous;
      m.ws.send(JSON.stringify({ type: 'phase', sens, duree: m.duree, test: m.test, lieu: m.lieu }));
      // A receiver that stops answering cuts the run rather than hanging it.
      ph.garde = setTimeout(() => m.coupe(new Error('délai')), (m.duree + 15) * 1000);
    });
  }

  function recoit(m, e) {
    const ph = m.phase;
    if (!ph || ph.fait) return;
    if (typeof e.data !== 'string') {
      if (ph.debute) compteDescendant(ph, e.data.byteLength);
      return;
    }
    let msg = null;
    try {
      msg = JSON.parse(e.data);
    } catch (err) {
      // not JSON: ignored, like any unknown message
    }
    if (!msg || typeof msg !== 'object') return;
    switch (msg.type) {
      case 'debut':
        if (!ph.debute) demarre(m, ph);
        break;
      case 'fin_envoi':
        ph.finEnvoi = true;
        finSiPret(m, ph);
        break;
      case 'recu':
        if (Number.isFinite(msg.octets)) {
          ph.recu = msg.octets;
          ph.montant.debit = glisse(ph.montant.points, performance.now(), msg.octets);
        }
        break;
      case 'seconde':
        if (SENS.includes(msg.sens) && Number.isFinite(msg.octets)) ph.secondes[msg.sens].push(msg.octets);
        break;
      case 'occupe':
      case 'refus':
      case 'resume':
        ph.fait = true;
        arretePhase(ph);
        ph.termine(msg);
        break;
    }
  }

  function demarre(m, ph) {
    vue = ph;
    ph.debute = true;
    ph.t0 = performance.now();
    ph.pageSecondes = new Array(m.duree).fill(0);
    ph.descendant.points = [{ t: ph.t0, total: 0 }];
    ph.montant.points = [{ t: ph.t0, total: 0 }];
    ph.pings = setInterval(() => ping(m, true), 200);
    ph.finTemps = setTimeout(() => {
      ph.tempsEcoule = true;
      ph.envoie = false;
      finSiPret(m, ph);
    }, m.duree * 1000);
    if (m.arret) finSiPret(m, ph); // a stop asked before the phase began
    else if (ph.sens !== 'descendant') {
      ph.envoie = true;
      pompe(m, ph);
    }
  }

  // Bytes received, in whole seconds since the phase began.
  function compteDescendant(ph, n) {
    ph.descendant.total += n;
    const k = Math.floor((performance.now() - ph.t0) / 1000);
    if (k < ph.duree) ph.pageSecondes[k] += n;
  }

  // The page says fin once its own sending is over and, when the receiver
  // sends too, after its fin_envoi; a stop says it at once.
  function finSiPret(m, ph) {
    if (!ph.debute || ph.finEnvoyee) return;
    const envoiFini = ph.sens === 'descendant' || ph.tempsEcoule;
    const receptionFinie = ph.sens === 'montant' || ph.finEnvoi;
    if (!m.arret && !(envoiFini && receptionFinie)) return;
    ph.envoie = false;
    clearTimeout(ph.minuteur);
    ph.finEnvoyee = true;
    ph.completes = m.arret ? secondesCompletes(ph) : ph.duree;
    m.ws.send(JSON.stringify({ type: 'fin' }));
  }

  const secondesCompletes = (ph) => Math.min(ph.duree, Math.floor((performance.now() - ph.t0) / 1000));

  function arretePhase(ph) {
    ph.envoie = false;
    clearTimeout(ph.garde);
    clearTimeout(ph.finTemps);
    clearTimeout(ph.minuteur);
    clearInterval(ph.pings);
  }

  // About a sixteenth of a second at the receiver's rate, a power of two
  // from 4 KiB to 1 MiB (the receiver refuses more).
  function tailleMessage(debit) {
    let t = 4 * KIO;
    while (t < MIO && t * 2 <= debit / 16) t *= 2;
    return t;
  }

  // Upload: what the receiver has not counted yet stays under half a second
  // at the rate it measures (at least 4 MiB), and the browser's buffer under
  // half of that. Safari reports bufferedAmount late, so the receiver's count
  // is the bound that holds everywhere.
  function pompe(m, ph) {
    if (!ph.envoie) return;
    const limite = Math.max(4 * MIO, ph.montant.debit / 2);
    const taille = tailleMessage(ph.montant.debit);
    while (ph.envoye + taille - ph.recu <= limite && m.ws.bufferedAmount + taille <= limite / 2) {
      m.ws.send(REMPLISSAGE.subarray(0, taille));
      ph.envoye += taille;
    }
    ph.minuteur = setTimeout(pompe, 4, m, ph);
  }

  // The receiver's figures for each direction of the phase; for a phase cut
  // short, its complete seconds as the receiver reported them.
  function enregistre(ph, resume) {
    for (const sens of SENS) {
      if (ph.sens !== 'simultane' && ph.sens !== sens) continue;
      let c = null;
      if (!resume) {
        const s = ph.secondes[sens];
        const moyenne = s.length ? s.reduce((a, b) => a + b, 0) / s.length : null;
        c = { moyenne, maximum: s.length ? Math.max(...s) : null, secondes: s.slice() };
      } else if (resume[sens] && typeof resume[sens] === 'object') {
        c = { ...resume[sens] };
      }
      if (c && sens === 'descendant') c.page_secondes = ph.pageSecondes.slice(0, ph.completes ?? secondesCompletes(ph));
      if (ph.sens === 'simultane') resultats.simultane[sens] = c;
      else resultats[sens] = c;
    }
  }

  // ---- Display

  const dureeChoisie = () => Number(document.querySelector('input[name="duree"]:checked').value);

  function metsAJourCommandes() {
    const b = $('bouton');
    b.textContent = mesure ? T.arreter : T.mesurer;
    b.classList.toggle('arret', Boolean(mesure));
    b.disabled = Boolean(mesure && mesure.arret);
    $('lieu').disabled = Boolean(mesure);
    $('durees').disabled = Boolean(mesure);
    document.body.classList.toggle('en-mesure', Boolean(mesure));
  }

  // A figure with its unit apart, smaller: a line may break before the unit,
  // never inside the figure.
  function ecrisChiffre(e, texte) {
    const i = texte.lastIndexOf(' ');
    if (i < 0) {
      e.textContent = texte;
      return;
    }
    const chiffre = document.createElement('span');
    const unite = document.createElement('span');
    chiffre.textContent = texte.slice(0, i);
    unite.textContent = texte.slice(i);
    unite.className = 'unite';
    e.replaceChildren(chiffre, unite);
  }

  function montrePhase(sens) {
    $('phase').textContent = T[sens];
    $('reste').textContent = '';
    $('latence-direct').textContent = '';
    for (const s of SENS) {
      $(`direct-${s}`).hidden = !(sens === s || sens === 'simultane');
      $(`bits-${s}`).textContent = '—';
      $(`octets-${s}`).textContent = '';
    }
    dessine();
  }

  function rafraichit() {
    const ph = mesure && mesure.phase;
    if (ph && ph.debute && !ph.fait) {
      const t = performance.now();
      $('reste').textContent = T.reste(Math.max(0, Math.ceil(ph.duree - (t - ph.t0) / 1000)));
      ph.descendant.debit = glisse(ph.descendant.points, t, ph.descendant.total);
      for (const sens of SENS) {
        ecrisChiffre($(`bits-${sens}`), formateBits(ph[sens].debit) + '/s');
        $(`octets-${sens}`).textContent = formateOctets(ph[sens].debit) + '/s';
      }
    }
    dessine();
  }

  function afficheCarte(id, c, refus) {
    const carte = $(id);
    const connue = Boolean(c) && Number.isFinite(c.moyenne);
    ecrisChiffre(carte.querySelector('.moyenne'), connue ? formateBits(c.moyenne) + '/s' : '—');
    carte.querySelector('.octets').textContent = connue ? formateOctets(c.moyenne) + '/s' : '';
    const max = carte.querySelector('.maximum');
    max.classList.toggle('refus', refus !== undefined);
    if (refus !== undefined) max.textContent = T.refus(refus);
    else if (c && Number.isFinite(c.maximum)) {
      const chiffre = document.createElement('span');
      chiffre.className = 'insecable';
      chiffre.textContent = formateBits(c.maximum) + '/s';
      max.replaceChildren(`${T.maximum} `, chiffre);
    } else max.textContent = '';
  }

  function afficheResultats(m) {
    const r = resultats;
    const l = r.latence;
    const rien = !r.descendant && !r.montant && !r.simultane.descendant && !r.simultane.montant;
    if (rien && l.repos_ms === null && !Object.keys(m.refus).length) return;
    $('resultats-lieu').textContent = m.lieu ? ` — ${m.lieu}` : '';
    afficheCarte('r-descendant', r.descendant, m.refus.descendant);
    afficheCarte('r-montant', r.montant, m.refus.montant);
    afficheCarte('r-simultane-descendant', r.simultane.descendant, m.refus.simultane);
    afficheCarte('r-simultane-montant', r.simultane.montant, m.refus.simultane);
    ecrisChiffre($('r-repos'), l.repos_ms === null ? '—' : formateMs(l.repos_ms));
    ecrisChiffre($('r-charge'), l.charge_ms === null ? '—' : formateMs(l.charge_ms));
    $('r-note').textContent = l.note || '—';
    $('resultats').hidden = false;
    if (matchMedia('(max-width: 1023px)').matches) $('resultats').scrollIntoView({ block: 'start' });
  }

  // ---- The chart: per-second points, green on black over a dark green grid,
  // with the live rate as the curve's moving end.

  const COULEURS = { descendant: '#00ff00', montant: '#4dc3ff' };

  function courbe(ph, sens) {
    const enCours = ph.debute && !ph.fait && !ph.finEnvoyee;
    const ecoule = ph.debute ? (performance.now() - ph.t0) / 1000 : 0;
    // Download: this page's own count; upload: the receiver's.
    const valeurs = sens === 'descendant' ? ph.pageSecondes.slice(0, ph.completes ?? secondesCompletes(ph)) : ph.secondes.montant.slice(0, ph.duree);
    const points = [[0, 0], ...valeurs.map((v, k) => [k + 1, v])];
    if (enCours) points.push([Math.max(valeurs.length, Math.min(ecoule, ph.duree)), ph[sens].debit]);
    return points;
  }

  function dessine() {
    const toile = $('graphe');
    const r = window.devicePixelRatio || 1;
    const l = Math.round(toile.clientWidth * r);
    const h = Math.round(toile.clientHeight * r);
    if (!l || !h) return;
    if (toile.width !== l || toile.height !== h) {
      toile.width = l;
      toile.height = h;
    }
    const g = toile.getContext('2d');
    g.fillStyle = '#000';
    g.fillRect(0, 0, l, h);

    const duree = vue ? vue.duree : dureeChoisie();
    const courbes = [];
    if (vue && vue.debute) {
      for (const sens of SENS) {
        if (vue.sens === sens || vue.sens === 'simultane') courbes.push({ sens, points: courbe(vue, sens) });
      }
    }
    const plus = Math.max(0, ...courbes.flatMap((c) => c.points.map((p) => p[1])));
    const echelle = plus > 0 ? plus * 1.25 : 1;

    // Grid lines on whole device pixels, so that they stay sharp.
    g.strokeStyle = '#007a1f';
    g.lineWidth = 1;
    g.beginPath();
    const pas = duree > 10 ? 5 : 1;
    for (let s = 0; s <= duree; s += pas) {
      const x = Math.round((s / duree) * (l - 1)) + 0.5;
      g.moveTo(x, 0);
      g.lineTo(x, h);
    }
    for (let i = 0; i <= 4; i++) {
      const y = Math.round((i / 4) * (h - 1)) + 0.5;
      g.moveTo(0, y);
      g.lineTo(l, y);
    }
    g.stroke();

    g.lineWidth = 2.5 * r;
    g.lineJoin = 'round';
    for (const c of courbes) {
      g.strokeStyle = COULEURS[c.sens];
      g.setLineDash(c.sens === 'montant' ? [7 * r, 4 * r] : []);
      g.beginPath();
      c.points.forEach(([s, v], i) => {
        const x = (s / duree) * (l - 1);
        const y = h - 1 - (v / echelle) * (h - 2);
        if (i) g.lineTo(x, y);
        else g.moveTo(x, y);
      });
      g.stroke();
    }
    g.setLineDash([]);

    if (!courbes.length) return;
    g.font = `${Math.round(13 * r)}px system-ui, sans-serif`;
    g.textBaseline = 'top';
    g.fillStyle = '#ffffff';
    g.fillText(formateBits(echelle) + '/s', 6 * r, 5 * r);
    g.textAlign = 'right';
    courbes.forEach((c, i) => {
      g.fillStyle = COULEURS[c.sens];
      g.fillText(T[`${c.sens}Fleche`], l - 6 * r, (5 + 18 * i) * r);
    });
    g.textAlign = 'left';
  }

  // ---- Start

  document.documentElement.lang = anglais ? 'en' : 'fr';
  for (const e of document.querySelectorAll('[data-t]')) e.textContent = T[e.dataset.t];
  $('lieu').placeholder = T.lieuExemple;
  $('adresse').textContent = location.hostname;
  // Without storage (some private modes), the place is typed each time.
  const memoire = (f) => {
    try {
      return f();
    } catch (err) {
      return null;
    }
  };
  $('lieu').value = memoire(() => localStorage.getItem(CLE_LIEU)) || '';
  $('lieu').addEventListener('input', () => memoire(() => localStorage.setItem(CLE_LIEU, $('lieu').value)));
  $('bouton').addEventListener('click', () => (mesure ? arrete() : lance(dureeChoisie())));
  $('reessayer').addEventListener('click', () => lance(dureeChoisie()));
  for (const radio of document.querySelectorAll('input[name="duree"]')) radio.addEventListener('change', dessine);
  window.addEventListener('resize', dessine);
  dessine();
  litEtat().then((e) => {
    if (!e) message(T.injoignable, true);
    else if (e.occupe && !mesure) {
      montreOccupe(e);
      etat = 'occupe';
    }
  });

  // For automated tests.
  window.bandepassante = Object.defineProperties({ lance, arrete }, {
    etat: { get: () => etat, enumerable: true },
    resultats: { get: () => resultats, enumerable: true },
  });
})();
