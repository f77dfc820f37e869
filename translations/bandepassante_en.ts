<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="fr">
<context>
    <name>CommandeTest</name>
    <message>
        <source>Connecté à %1, port TCP %2 : %3 pendant %4 s.</source>
        <extracomment>%1 the receiver, %2 the port, %3 the phase, %4 its seconds</extracomment>
        <translation>Connected to %1, TCP port %2: %3 for %4 s.</translation>
    </message>
    <message>
        <source>simultane</source>
        <translation>both at once</translation>
    </message>
    <message>
        <source>test complet arrêté, la phase « %1 » a été coupée</source>
        <translation>full test stopped, the &quot;%1&quot; phase was cut</translation>
    </message>
    <message>
        <source>test complet arrêté avant la phase « %1 » : %2</source>
        <translation>full test stopped before the &quot;%1&quot; phase: %2</translation>
    </message>
    <message>
        <source>Interrompu.</source>
        <translation>Interrupted.</translation>
    </message>
</context>
<context>
    <name>Demarrage</name>
    <message>
        <source>bandepassante : l&apos;affichage graphique ne s&apos;ouvre pas (%1) ; bandepassante-console mesure le débit sans affichage.</source>
        <extracomment>%1: the settings that chose the display, such as DISPLAY=:0</extracomment>
        <translation>bandepassante: the graphical display cannot be opened (%1); bandepassante-console measures the throughput without a display.</translation>
    </message>
    <message>
        <source>Mesure le débit TCP réel d&apos;un lien de réseau local entre deux machines : la fenêtre &quot;Récepteur&quot; reçoit sur le port 4444, la fenêtre &quot;Emetteur&quot; lui envoie.</source>
        <translation>Measures the real TCP throughput of a local network link between two machines: the &quot;Receiver&quot; window receives on port 4444, the &quot;Transmitter&quot; window sends to it.</translation>
    </message>
    <message>
        <source>Affiche cette aide et termine.</source>
        <translation>Displays this help and exits.</translation>
    </message>
    <message>
        <source>Affiche la version et termine.</source>
        <translation>Displays the version and exits.</translation>
    </message>
    <message>
        <source>argument inattendu : %1</source>
        <translation>unexpected argument: %1</translation>
    </message>
    <message>
        <source>bandepassante : %1</source>
        <extracomment>%1: what is wrong on the command line</extracomment>
        <translation>bandepassante: %1</translation>
    </message>
    <message>
        <source>bandepassante : aucun affichage graphique trouvé (DISPLAY et WAYLAND_DISPLAY sont vides) ; bandepassante-console mesure le débit sans affichage.</source>
        <translation>bandepassante: no graphical display found (DISPLAY and WAYLAND_DISPLAY are empty); bandepassante-console measures the throughput without a display.</translation>
    </message>
</context>
<context>
    <name>DialoguesMesure</name>
    <message>
        <source>Enregistrement impossible</source>
        <translation>Cannot save</translation>
    </message>
    <message>
        <source>%1
La mesure est conservée : choisissez un autre dossier.</source>
        <extracomment>%1 why the file could not be written</extracomment>
        <translation>%1
The measurement is kept: choose another folder.</translation>
    </message>
    <message>
        <source>Tableau CSV (*.csv)</source>
        <translation>CSV table (*.csv)</translation>
    </message>
    <message>
        <source>Document JSON (*.json)</source>
        <translation>JSON document (*.json)</translation>
    </message>
    <message>
        <source>Enregistrer la mesure</source>
        <translation>Save measurement</translation>
    </message>
    <message>
        <source>Enregistrer l&apos;image</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>Image PNG (*.png)</source>
        <translation>PNG picture (*.png)</translation>
    </message>
</context>
<context>
    <name>Emetteur</name>
    <message>
        <source>pendant %1 s</source>
        <translation>for %1 s</translation>
    </message>
    <message>
        <source>jusqu&apos;à Ctrl-C</source>
        <translation>until Ctrl-C</translation>
    </message>
    <message>
        <source>Connecté à %1, port TCP %2 : %3 %4.</source>
        <extracomment>%1 the receiver, %2 the port, %3 what is measured (&quot;envoi&quot;...), %4 how long (&quot;pendant 10 s&quot;...)</extracomment>
        <translation>Connected to %1, TCP port %2: %3 %4.</translation>
    </message>
    <message>
        <source>réception des blocs en retour</source>
        <translation>receiving the blocks back</translation>
    </message>
    <message>
        <source>envoi</source>
        <translation>sending</translation>
    </message>
    <message>
        <source>Le récepteur %1 a mis fin à la mesure.</source>
        <translation>Receiver %1 ended the measurement.</translation>
    </message>
    <message>
        <source>le récepteur a mis fin à la connexion avant la première seconde, aucune mesure</source>
        <translation>the receiver ended the connection before the first second, no measurement</translation>
    </message>
    <message>
        <source>Interrompu.</source>
        <translation>Interrupted.</translation>
    </message>
</context>
<context>
    <name>ExportMesure</name>
    <message>
        <source>inconnue</source>
        <extracomment>The latency was not measured</extracomment>
        <translation>unknown</translation>
    </message>
    <message>
        <source>%1 (%2)&lt;br&gt;repos %3</source>
        <extracomment>%1 the latency under load, %2 its grade (A+ … F), %3 the idle latency</extracomment>
        <translation>%1 (%2)&lt;br&gt;idle %3</translation>
    </message>
    <message>
        <source>montant</source>
        <extracomment>Direction of a measurement: from this machine</extracomment>
        <translation>upload</translation>
    </message>
    <message>
        <source>descendant</source>
        <extracomment>Direction of a measurement: to this machine</extracomment>
        <translation>download</translation>
    </message>
    <message>
        <source>simultané montant</source>
        <extracomment>Direction: the upload of a measurement in both directions at once</extracomment>
        <translation>upload, both at once</translation>
    </message>
    <message>
        <source>simultané descendant</source>
        <extracomment>Direction: the download of a measurement in both directions at once</extracomment>
        <translation>download, both at once</translation>
    </message>
    <message>
        <source>simultané (somme des deux sens)</source>
        <extracomment>Direction: an older kind of row, both directions at once counted together</extracomment>
        <translation>both at once (both ways added)</translation>
    </message>
    <message>
        <source>inconnu</source>
        <extracomment>Direction of a measurement between two other machines</extracomment>
        <translation>unknown</translation>
    </message>
    <message>
        <source>Émetteur : %1</source>
        <translation>Transmitter: %1</translation>
    </message>
    <message>
        <source>Récepteur : %1</source>
        <translation>Receiver: %1</translation>
    </message>
    <message>
        <source>Sens : %1</source>
        <translation>Direction: %1</translation>
    </message>
    <message>
        <source>Début : %1</source>
        <translation>Start: %1</translation>
    </message>
    <message>
        <source>Durée : %1 (en cours)</source>
        <translation>Duration: %1 (running)</translation>
    </message>
    <message>
        <source>Durée : %1</source>
        <translation>Duration: %1</translation>
    </message>
    <message>
        <source>Total reçu : %1 (%2)</source>
        <translation>Total received: %1 (%2)</translation>
    </message>
    <message>
        <source>Moyenne : %1</source>
        <translation>Average: %1</translation>
    </message>
    <message>
        <source>Minimum : %1</source>
        <translation>Minimum: %1</translation>
    </message>
    <message>
        <source>Médiane : %1</source>
        <translation>Median: %1</translation>
    </message>
    <message>
        <source>90e centile : %1</source>
        <translation>90th percentile: %1</translation>
    </message>
    <message>
        <source>Maximum : %1</source>
        <translation>Maximum: %1</translation>
    </message>
    <message>
        <source>Latence au repos : %1</source>
        <translation>Idle latency: %1</translation>
    </message>
    <message>
        <source>Latence en charge : %1 (+%2), note %3</source>
        <extracomment>%1 the latency under load, %2 how much it adds to the idle latency, %3 its grade (A+ … F)</extracomment>
        <translation>Latency under load: %1 (+%2), grade %3</translation>
    </message>
    <message>
        <source>Latence : %1</source>
        <translation>Latency: %1</translation>
    </message>
    <message>
        <source>Lien : %1</source>
        <translation>Link: %1</translation>
    </message>
    <message>
        <source>simultané,&lt;br&gt;somme</source>
        <extracomment>Heading of the column adding up both directions of the phase &quot;both at once&quot;</extracomment>
        <translation>both at once,&lt;br&gt;sum</translation>
    </message>
    <message>
        <source>Latence</source>
        <extracomment>Row heading of the table of a full test</extracomment>
        <translation>Latency</translation>
    </message>
    <message>
        <source>Test complet avec %1, le %2 à %3</source>
        <extracomment>%1 the receiver&apos;s address, %2 the date, %3 the time the test began</extracomment>
        <translation>Full test with %1, on %2 at %3</translation>
    </message>
    <message>
        <source>Moyenne</source>
        <extracomment>Row heading of the table of a full test</extracomment>
        <translation>Average</translation>
    </message>
    <message>
        <source>Maximum</source>
        <extracomment>Row heading of the table of a full test</extracomment>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>Impossible d&apos;écrire %1 : %2</source>
        <extracomment>%1 the file, %2 the system&apos;s reason</extracomment>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>soit %1 Mbit/s décimaux</source>
        <extracomment>The mean in decimal megabits (10^6 bits) per second, the unit other meters use</extracomment>
        <translation>i.e. %1 decimal Mbit/s</translation>
    </message>
</context>
<context>
    <name>FenetreHistorique</name>
    <message>
        <source>Historique des mesures</source>
        <translation>Measurement history</translation>
    </message>
    <message>
        <source>Date</source>
        <extracomment>Column heading</extracomment>
        <translation>Date</translation>
    </message>
    <message>
        <source>Lieu</source>
        <extracomment>Column heading: where the measurement was made, as the person names it</extracomment>
        <translation>Place</translation>
    </message>
    <message>
        <source>De → à</source>
        <extracomment>Column heading: transmitter → receiver</extracomment>
        <translation>From → to</translation>
    </message>
    <message>
        <source>Sens</source>
        <extracomment>Column heading: the direction of the measurement</extracomment>
        <translation>Direction</translation>
    </message>
    <message>
        <source>Durée</source>
        <extracomment>Column heading</extracomment>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Moyenne</source>
        <extracomment>Column heading: the mean rate</extracomment>
        <translation>Average</translation>
    </message>
    <message>
        <source>Maximum</source>
        <extracomment>Column heading: the highest rate of a second</extracomment>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>Latence</source>
        <extracomment>Column heading</extracomment>
        <translation>Latency</translation>
    </message>
    <message>
        <source>Lien</source>
        <extracomment>Column heading: the network link (Wi-Fi, Ethernet…)</extracomment>
        <translation>Link</translation>
    </message>
    <message>
        <source>Signal</source>
        <extracomment>Column heading: the Wi-Fi signal strength</extracomment>
        <translation>Signal</translation>
    </message>
    <message>
        <source>Supprimer…</source>
        <translation>Delete…</translation>
    </message>
    <message>
        <source>Exporter la sélection…</source>
        <translation>Export selection…</translation>
    </message>
    <message>
        <source>Enregistrer la mesure…</source>
        <translation>Save measurement…</translation>
    </message>
    <message>
        <source>Enregistrer l&apos;image…</source>
        <translation>Save picture…</translation>
    </message>
    <message>
        <source>Historique indisponible : %1
La mesure continue ; les mesures seront enregistrées dès que possible.</source>
        <extracomment>%1 why the history file cannot be used</extracomment>
        <translation>History unavailable: %1
Measuring goes on; measurements will be saved as soon as possible.</translation>
    </message>
    <message>
        <source>Mesure inachevée : enregistrée jusqu&apos;à sa dernière minute</source>
        <translation>Unfinished measurement: saved up to its last minute</translation>
    </message>
    <message>
        <source>Test complet du %1</source>
        <extracomment>%1 the date and time the full test began</extracomment>
        <translation>Full test of %1</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <extracomment>%1 the latency under load, %2 its grade (A+ … F)</extracomment>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>inconnue</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>Latence %1</source>
        <extracomment>%1 the latencies at rest and under load, with the grade</extracomment>
        <translation>Latency: %1</translation>
    </message>
    <message>
        <source>%1%2 (%3, %4) : %5/s</source>
        <extracomment>The chart&apos;s legend: %1 the direction, %2 &quot; — &quot; and the place if any, %3 &quot;transmitter → receiver&quot;, %4 the date and time, %5 the mean rate</extracomment>
        <translation>%1%2 (%3, %4): %5/s</translation>
    </message>
    <message>
        <source>Le lieu n&apos;a pas pu être enregistré (%1). Réessayez dans un instant.</source>
        <extracomment>%1 why: &quot;file busy&quot;, or why the history file cannot be used</extracomment>
        <translation>The place could not be saved (%1). Try again in a moment.</translation>
    </message>
    <message>
        <source>fichier occupé</source>
        <translation>file busy</translation>
    </message>
    <message>
        <source>Les mesures n&apos;ont pas pu être supprimées : le fichier est occupé ou indisponible.</source>
        <translation>The measurements could not be deleted: the file is busy or unavailable.</translation>
    </message>
    <message>
        <source>Supprimer ces %1 mesures de l&apos;historique ?</source>
        <extracomment>%1 the number of measurements, 2 or more</extracomment>
        <translation>Delete these %1 measurements from the history?</translation>
    </message>
    <message>
        <source>Supprimer cette mesure de l&apos;historique ?</source>
        <translation>Delete this measurement from the history?</translation>
    </message>
    <message>
        <source>Supprimer</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Exporter la sélection</source>
        <translation>Export selection</translation>
    </message>
    <message>
        <source>Tableau CSV (*.csv)</source>
        <translation>CSV table (*.csv)</translation>
    </message>
    <message>
        <source>Enregistrement impossible</source>
        <translation>Cannot save</translation>
    </message>
</context>
<context>
    <name>FenetreResume</name>
    <message>
        <source>Résumé de la mesure</source>
        <translation>Measurement summary</translation>
    </message>
    <message>
        <source>Détail : %1, %2</source>
        <extracomment>Heading of the measurement detailed below a full test&apos;s table: %1 its direction, %2 &quot;transmitter → receiver&quot;</extracomment>
        <translation>Details: %1, %2</translation>
    </message>
</context>
<context>
    <name>FenetreTelephone</name>
    <message>
        <source>Mesurer depuis un téléphone</source>
        <translation>Measure from a phone</translation>
    </message>
    <message>
        <source>Scannez ce code avec l&apos;appareil photo du téléphone, relié au même réseau que cette machine, puis touchez « Mesurer ».</source>
        <extracomment>« Mesurer » is the measuring page&apos;s button</extracomment>
        <translation>Scan this code with the camera of a phone on the same network as this machine, then tap “Measure”.</translation>
    </message>
    <message>
        <source>Cette machine n&apos;a aucune adresse réseau qu&apos;un téléphone puisse joindre : reliez-la au réseau, puis rouvrez cette fenêtre.</source>
        <translation>This machine has no network address that a phone can reach: connect it to the network, then open this window again.</translation>
    </message>
    <message>
        <source>Réseau :</source>
        <translation>Network:</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>Récepteur</source>
        <translation>Receiver</translation>
    </message>
    <message>
        <source>Port %1 indisponible :
réception impossible</source>
        <translation>Port %1 unavailable:
cannot receive</translation>
    </message>
    <message>
        <source>la fenêtre Récepteur mesure déjà l&apos;émetteur %1 : attendez la fin de sa mesure</source>
        <translation>the Receiver window is already measuring transmitter %1: wait for its measurement to end</translation>
    </message>
    <message>
        <source>une mesure dans l&apos;autre sens est déjà en cours</source>
        <translation>a measurement the other way is already running</translation>
    </message>
    <message>
        <source>un test complet est déjà en cours</source>
        <translation>a full test is already running</translation>
    </message>
    <message>
        <source>la fenêtre Emetteur transmet déjà : arrêtez son envoi d&apos;abord</source>
        <translation>the Transmitter window is already sending: stop it first</translation>
    </message>
    <message>
        <source>l&apos;appareil %1 mesure depuis la page de ce récepteur : attendez la fin de sa mesure</source>
        <translation>device %1 is measuring from this receiver&apos;s page: wait for its measurement to end</translation>
    </message>
    <message>
        <source>Montant</source>
        <extracomment>A phase of a measurement, on the Transmitter window&apos;s narrow button</extracomment>
        <translation>Upload</translation>
    </message>
    <message>
        <source>Descendant</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Simultané</source>
        <translation>Both ways</translation>
    </message>
    <message>
        <source>%1 - connexion…</source>
        <extracomment>On a button: %1 is a phase (upload, download, both at once)</extracomment>
        <translation>%1 - connecting…</translation>
    </message>
    <message>
        <source>%1 %2 s - Arrêter</source>
        <extracomment>On a button: %1 is a phase (upload, download, both at once), %2 the seconds it has left</extracomment>
        <translation>%1 %2 s - Stop</translation>
    </message>
    <message>
        <source>Mon IP : %1</source>
        <extracomment>The receiver&apos;s statistics, one row each: this machine&apos;s address</extracomment>
        <translation>My IP: %1</translation>
    </message>
    <message>
        <source>Fin : %1</source>
        <extracomment>The address measured with, once the measurement has ended</extracomment>
        <translation>Ended: %1</translation>
    </message>
    <message>
        <source>Envoi : %1</source>
        <extracomment>The address this machine sends to</extracomment>
        <translation>Sending: %1</translation>
    </message>
    <message>
        <source>Connexion : %1</source>
        <extracomment>The address this machine receives from</extracomment>
        <translation>Connection: %1</translation>
    </message>
    <message>
        <source>local Port : %1</source>
        <translation>Local port: %1</translation>
    </message>
    <message>
        <source>Données envoyées : %1/s</source>
        <extracomment>A rate: %1 is a quantity with its unit, per second</extracomment>
        <translation>Data sent: %1/s</translation>
    </message>
    <message>
        <source>Données reçues : %1/s</source>
        <translation>Data received: %1/s</translation>
    </message>
    <message>
        <source>Maximum : %1/s</source>
        <extracomment>The chart&apos;s scale: the highest rate it shows</extracomment>
        <translation>Maximum: %1/s</translation>
    </message>
    <message>
        <source>TaillePaquets : %1</source>
        <extracomment>The size of the last piece of data read or sent</extracomment>
        <translation>Packet size: %1</translation>
    </message>
    <message>
        <source>Démarrer RECEPTION</source>
        <translation>Start RECEIVING</translation>
    </message>
    <message>
        <source>Arrêter Reception</source>
        <translation>Stop Receiving</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>Emetteur</source>
        <translation>Transmitter</translation>
    </message>
    <message>
        <source>Serveurs</source>
        <translation>Servers</translation>
    </message>
    <message>
        <source>Test complet (montant, descendant, simultané)</source>
        <translation>Full test (upload, download, both at once)</translation>
    </message>
    <message>
        <source>Arrêter</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Clic droit : mesurer dans l&apos;autre sens, ou test complet</source>
        <translation>Right-click: measure the other way, or full test</translation>
    </message>
    <message>
        <source>impossible d&apos;ouvrir %1 : aucun navigateur n&apos;a pu être démarré</source>
        <translation>cannot open %1: no web browser could be started</translation>
    </message>
    <message>
        <source>Mesurer dans l&apos;autre sens (%1 → cette machine)</source>
        <extracomment>%1 is the address of the receiver in the box</extracomment>
        <translation>Measure the other way (%1 → this machine)</translation>
    </message>
    <message>
        <source>Démarre Emetteur</source>
        <translation>Start Transmitter</translation>
    </message>
    <message>
        <source>Connexion en cours...</source>
        <translation>Connecting...</translation>
    </message>
    <message>
        <source>Connecté - DECONNECTER</source>
        <translation>Connected - DISCONNECT</translation>
    </message>
</context>
<context>
    <name>Formatage</name>
    <message>
        <source>Octets</source>
        <translation>bytes</translation>
    </message>
    <message>
        <source>Ko</source>
        <translation>KiB</translation>
    </message>
    <message>
        <source>Mo</source>
        <translation>MiB</translation>
    </message>
    <message>
        <source>Go</source>
        <translation>GiB</translation>
    </message>
    <message>
        <source>Bits</source>
        <translation>bits</translation>
    </message>
    <message>
        <source>Kb</source>
        <translation>Kibit</translation>
    </message>
    <message>
        <source>Mb</source>
        <translation>Mibit</translation>
    </message>
    <message>
        <source>Gb</source>
        <translation>Gibit</translation>
    </message>
</context>
<context>
    <name>Historique</name>
    <message>
        <source>le fichier est occupé par une autre copie du programme ; nouvel essai dans quelques secondes.</source>
        <extracomment>Why the history is unavailable, shown after &quot;History unavailable: &quot;</extracomment>
        <translation>the file is in use by another copy of the program; trying again in a few seconds.</translation>
    </message>
    <message>
        <source>bandepassante : historique de nouveau disponible</source>
        <translation>bandepassante: history available again</translation>
    </message>
    <message>
        <source>bandepassante : historique indisponible : %1</source>
        <extracomment>On standard error; %1 why</extracomment>
        <translation>bandepassante: history unavailable: %1</translation>
    </message>
    <message>
        <source>le dossier %1 n&apos;accepte pas l&apos;écriture.</source>
        <translation>the folder %1 cannot be written to.</translation>
    </message>
    <message>
        <source>le fichier %1 est en lecture seule.</source>
        <translation>the file %1 is read-only.</translation>
    </message>
    <message>
        <source>le dossier %1 ne peut pas être créé.</source>
        <translation>the folder %1 cannot be created.</translation>
    </message>
    <message>
        <source>le pilote SQLite de Qt est absent (paquet libqt6sql6-sqlite).</source>
        <translation>Qt&apos;s SQLite driver is missing (package libqt6sql6-sqlite).</translation>
    </message>
    <message>
        <source>le fichier %1 ne s&apos;ouvre pas : %2</source>
        <extracomment>%1 the file, %2 SQLite&apos;s reason</extracomment>
        <translation>the file %1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>le fichier %1 est endommagé ou n&apos;est pas un historique (%2). Il est laissé tel quel.</source>
        <extracomment>%1 the file, %2 SQLite&apos;s reason</extracomment>
        <translation>the file %1 is damaged or is not a history (%2). It is left as it is.</translation>
    </message>
    <message>
        <source>le fichier %1 vient d&apos;une version plus récente du programme (schéma %2, celui-ci connaît le %3). Il est laissé tel quel.</source>
        <extracomment>%1 the file, %2 the version of its tables, %3 the newest version this program knows</extracomment>
        <translation>the file %1 comes from a newer version of the program (schema %2, this one knows %3). It is left as it is.</translation>
    </message>
    <message>
        <source>le fichier %1 est endommagé (%2). Il est laissé tel quel.</source>
        <extracomment>%1 the file, %2 SQLite&apos;s reason</extracomment>
        <translation>the file %1 is damaged (%2). It is left as it is.</translation>
    </message>
    <message>
        <source>le fichier %1 n&apos;est pas un historique de BandePassante (table mesures absente ou différente). Il est laissé tel quel.</source>
        <translation>the file %1 is not a BandePassante history (table mesures missing or different). It is left as it is.</translation>
    </message>
    <message>
        <source>le fichier %1 contient déjà d&apos;autres tables. Il est laissé tel quel.</source>
        <translation>the file %1 already holds other tables. It is left as it is.</translation>
    </message>
    <message>
        <source>le fichier %1 ne peut pas être écrit (%2).</source>
        <extracomment>%1 the file, %2 SQLite&apos;s reason</extracomment>
        <translation>the file %1 cannot be written (%2).</translation>
    </message>
</context>
<context>
    <name>ImageMesure</name>
    <message>
        <source>%1 : %2</source>
        <extracomment>%1 the direction, %2 &quot;transmitter → receiver&quot;</extracomment>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Moyenne : %1/s</source>
        <translation>Average: %1/s</translation>
    </message>
    <message>
        <source>Maximum : %1/s</source>
        <translation>Maximum: %1/s</translation>
    </message>
    <message>
        <source>Latence : %1</source>
        <translation>Latency: %1</translation>
    </message>
    <message>
        <source>Lien : %1</source>
        <translation>Link: %1</translation>
    </message>
</context>
<context>
    <name>Lien</name>
    <message>
        <source>inconnu</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>wifi</source>
        <translation>Wi-Fi</translation>
    </message>
    <message>
        <source>ethernet</source>
        <translation>Ethernet</translation>
    </message>
    <message>
        <source>autre</source>
        <translation>other</translation>
    </message>
    <message numerus="yes">
        <source>%n flux</source>
        <extracomment>Wi-Fi spatial streams</extracomment>
        <translation>
            <numerusform>%n stream</numerusform>
            <numerusform>%n streams</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 « %2 »</source>
        <extracomment>%1 the link&apos;s type and interface, %2 the Wi-Fi network&apos;s name</extracomment>
        <translation>%1 &quot;%2&quot;</translation>
    </message>
    <message>
        <source>canal %1</source>
        <extracomment>Wi-Fi channel</extracomment>
        <translation>channel %1</translation>
    </message>
    <message>
        <source>signal %1 dBm</source>
        <translation>signal %1 dBm</translation>
    </message>
    <message>
        <source>émission %1</source>
        <extracomment>The Wi-Fi transmit bit rate</extracomment>
        <translation>transmit %1</translation>
    </message>
    <message>
        <source>réception %1</source>
        <extracomment>The Wi-Fi receive bit rate</extracomment>
        <translation>receive %1</translation>
    </message>
    <message>
        <source>intégral</source>
        <extracomment>Full duplex, as opposed to &quot;semi-duplex&quot;</extracomment>
        <translation>full duplex</translation>
    </message>
    <message>
        <source>semi-duplex</source>
        <translation>half duplex</translation>
    </message>
    <message>
        <source>boucle locale</source>
        <translation>loopback</translation>
    </message>
</context>
<context>
    <name>LigneCommande</name>
    <message>
        <source>Utilisation :
  bandepassante-console recevoir [--port N] [--une-fois] [--duree S] [--sans-retour]
                                 [--sans-page] [--metriques ADRESSE:PORT] [--json]
  bandepassante-console emettre HOTE [--port N] [--duree S] [--attente S] [--retour]
                                     [--json]
  bandepassante-console test HOTE [--port N] [--duree S] [--attente S] [--json]
  bandepassante-console serveurs [--duree S] [--json]

Mesure le débit TCP d&apos;un lien local sans écran, avec la fenêtre BandePassante
ou une autre console à l&apos;autre bout.

Commandes (alias anglais entre parenthèses) :
  recevoir (receive)    écoute le port TCP 4444, mesure un émetteur à la fois,
                        sert la page de mesure http://ADRESSE:4444/ et
                        s&apos;annonce sur le réseau local
  emettre (send) HOTE   se connecte au port TCP 4444 de HOTE et y envoie le flux
                        de mesure
  test HOTE             mesure vers HOTE (montant), depuis HOTE (descendant),
                        puis dans les deux sens à la fois (simultané)
  serveurs (list)       affiche les récepteurs qui s&apos;annoncent sur le réseau local

Options :
  --json                une ligne JSON par seconde, par résumé, par récepteur
  --port N              le port TCP à écouter ou à joindre (4444) ; l&apos;annonce
                        d&apos;un récepteur ne dit pas son port : donnez-le aussi
                        à l&apos;émetteur
  --duree S, --time S   recevoir : s&apos;arrête après S s (jamais par défaut) ;
                        emettre : envoie pendant S s (10) ; test : chaque
                        phase dure S s (10, au plus 60) ; serveurs : écoute
                        pendant S s (3) ; 0 : jusqu&apos;à Ctrl-C
  --une-fois, --once    recevoir : s&apos;arrête quand le premier émetteur part
  --retour, --reverse   emettre : HOTE envoie vers cette machine pendant S s
                        (1 à 60) ; il faut un récepteur qui sait le faire
  --sans-retour, --no-reverse
                        recevoir : refuse d&apos;envoyer vers qui le demande
  --sans-page, --no-page
                        recevoir : ne sert pas la page de mesure
  --metriques ADRESSE:PORT, --metrics ADRESSE:PORT
                        recevoir : sert GET /metrics (Prometheus) à cette
                        adresse, par exemple 127.0.0.1:9444 ou :9444
  --attente S, --wait S emettre : attend au plus S s que le récepteur accepte (10)
  -h, --help            affiche cette aide
  -v, --version         affiche la version

Codes de sortie : 0 terminé ; 1 mesure impossible (récepteur injoignable ou qui
refuse, port déjà pris, connexion coupée avant la mesure) ou sortie standard
impossible à écrire ; 2 ligne de commande incorrecte.
</source>
        <extracomment>The console&apos;s --help. Commands and options are typed as they are, in French or by their English alias.</extracomment>
        <translation>Usage:
  bandepassante-console receive [--port N] [--once] [--time S] [--no-reverse]
                                [--no-page] [--metrics ADDRESS:PORT] [--json]
  bandepassante-console send HOST [--port N] [--time S] [--wait S] [--reverse]
                                  [--json]
  bandepassante-console test HOST [--port N] [--time S] [--wait S] [--json]
  bandepassante-console list [--time S] [--json]

Measures the TCP throughput of a local link without a screen, with the
BandePassante window or another console at the other end.

Commands (French names in parentheses):
  receive (recevoir)    listens on TCP port 4444, measures one transmitter at
                        a time, serves the measuring page http://ADDRESS:4444/
                        and announces itself on the local network
  send (emettre) HOST   connects to TCP port 4444 of HOST and sends it the
                        measuring stream
  test HOST             measures upload to HOST, download from HOST, then
                        both at once
  list (serveurs)       shows the receivers announcing themselves on the local
                        network

Options:
  --json                one JSON line per second, per summary, per receiver
  --port N              the TCP port to listen on or to reach (4444); a
                        receiver&apos;s announcement does not tell its port: give
                        it to the transmitter too
  --time S, --duree S   receive: stops after S s (never by default);
                        send: sends for S s (10); test: each phase lasts
                        S s (10, at most 60); list: listens for S s (3);
                        0: until Ctrl-C
  --once, --une-fois    receive: stops when the first transmitter leaves
  --reverse, --retour   send: HOST sends to this machine for S s (1 to 60);
                        needs a receiver that can do it
  --no-reverse, --sans-retour
                        receive: refuses to send to whoever asks
  --no-page, --sans-page
                        receive: does not serve the measuring page
  --metrics ADDRESS:PORT, --metriques ADDRESS:PORT
                        receive: serves GET /metrics (Prometheus) at this
                        address, for example 127.0.0.1:9444 or :9444
  --wait S, --attente S send: waits at most S s for the receiver to accept (10)
  -h, --help            shows this help
  -v, --version         shows the version

Exit codes: 0 done; 1 measurement impossible (receiver unreachable or
refusing, port already taken, connection cut before the measurement) or
standard output not writable; 2 bad command line.
</translation>
    </message>
    <message>
        <source>option mal écrite (%1)</source>
        <translation>badly written option (%1)</translation>
    </message>
    <message>
        <source>option inconnue « %1%2 »</source>
        <translation>unknown option &quot;%1%2&quot;</translation>
    </message>
    <message>
        <source>il manque la commande : recevoir, emettre ou serveurs</source>
        <translation>missing command: receive, send or list</translation>
    </message>
    <message>
        <source>commande inconnue « %1 »</source>
        <translation>unknown command &quot;%1&quot;</translation>
    </message>
    <message>
        <source>il manque HOTE, l&apos;adresse ou le nom du récepteur à joindre</source>
        <translation>missing HOST, the address or name of the receiver to reach</translation>
    </message>
    <message>
        <source>argument en trop « %1 »</source>
        <translation>unexpected argument &quot;%1&quot;</translation>
    </message>
    <message>
        <source>l&apos;option --%1 ne s&apos;applique pas à %2</source>
        <extracomment>%1 the option&apos;s French name, %2 the command&apos;s</extracomment>
        <translation>option --%1 does not apply to %2</translation>
    </message>
    <message>
        <source>--metriques veut ADRESSE:PORT, :PORT ou [IPV6]:PORT, par exemple 127.0.0.1:9444, pas « %1 »</source>
        <translation>--metrics takes ADDRESS:PORT, :PORT or [IPV6]:PORT, for example 127.0.0.1:9444, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--port veut un numéro de port, de 1 à 65535, pas « %1 »</source>
        <translation>--port takes a port number from 1 to 65535, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--duree veut un nombre entier de secondes de %1 à %2 avec %3, pas « %4 »</source>
        <extracomment>%3 &quot;--retour&quot; or &quot;test&quot;</extracomment>
        <translation>--time takes a whole number of seconds from %1 to %2 with %3, not &quot;%4&quot;</translation>
    </message>
    <message>
        <source>--duree veut un nombre entier de secondes, 0 ou plus, pas « %1 »</source>
        <translation>--time takes a whole number of seconds, 0 or more, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--attente veut un nombre entier de secondes, 1 ou plus, pas « %1 »</source>
        <translation>--wait takes a whole number of seconds, 1 or more, not &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>MenuMesure</name>
    <message>
        <source>Résumé de la mesure…</source>
        <translation>Measurement summary…</translation>
    </message>
    <message>
        <source>Copier le résumé</source>
        <translation>Copy summary</translation>
    </message>
    <message>
        <source>Enregistrer la mesure…</source>
        <translation>Save measurement…</translation>
    </message>
    <message>
        <source>Enregistrer l&apos;image…</source>
        <translation>Save picture…</translation>
    </message>
    <message>
        <source>Remettre l&apos;échelle à zéro</source>
        <extracomment>The chart&apos;s scale</extracomment>
        <translation>Reset the scale</translation>
    </message>
    <message>
        <source>Historique…</source>
        <translation>History…</translation>
    </message>
    <message>
        <source>Mesurer depuis un téléphone…</source>
        <translation>Measure from a phone…</translation>
    </message>
    <message>
        <source>%1/s (%2/s)
il y a %3 s</source>
        <extracomment>The chart&apos;s tooltip: the rate of one second in bits and in bytes, and %3 how many seconds ago</extracomment>
        <translation>%1/s (%2/s)
%3 s ago</translation>
    </message>
</context>
<context>
    <name>Metriques</name>
    <message>
        <source>le port TCP %1 de toutes les adresses IPv4 de cette machine, chemin /metrics</source>
        <translation>TCP port %1 of every IPv4 address of this machine, path /metrics</translation>
    </message>
    <message>
        <source>métriques : plus de connexion possible (%1) ; nouvel essai chaque seconde</source>
        <extracomment>%1 the system&apos;s reason (no descriptors left)</extracomment>
        <translation>metrics: no more connections possible (%1); trying again every second</translation>
    </message>
</context>
<context>
    <name>RaisonEchec</name>
    <message>
        <source>aucune adresse : choisissez un serveur dans la liste ou tapez l&apos;adresse du récepteur</source>
        <translation>no address: pick a server from the list or type the receiver&apos;s address</translation>
    </message>
    <message>
        <source>« %1 » contient un port : tapez l&apos;adresse seule, l&apos;émetteur se connecte toujours au port %2</source>
        <extracomment>%1: what was typed; %2: the port number.</extracomment>
        <translation>&quot;%1&quot; contains a port: type the address alone, the transmitter always connects to port %2</translation>
    </message>
    <message>
        <source>« %1 » n&apos;est pas une adresse valide : quatre nombres de 0 à 255 séparés par des points</source>
        <extracomment>%1: what was typed.</extracomment>
        <translation>&quot;%1&quot; is not a valid address: four numbers from 0 to 255 separated by dots</translation>
    </message>
    <message>
        <source>le nom « %1 » est inconnu : vérifiez-le, ou tapez l&apos;adresse IP du récepteur</source>
        <translation>the name &quot;%1&quot; is unknown: check it, or type the receiver&apos;s IP address</translation>
    </message>
    <message>
        <source>personne n&apos;écoute sur %1 : la réception y est-elle démarrée ?</source>
        <extracomment>%1: an address and a port, &quot;192.0.2.10:4444&quot;.</extracomment>
        <translation>nobody is listening on %1: is the receiver started there?</translation>
    </message>
    <message>
        <source>%1 est injoignable : aucune machine n&apos;y répond, ou aucune route n&apos;y mène</source>
        <translation>%1 is unreachable: no machine answers there, or no route leads there</translation>
    </message>
    <message>
        <source>%1 est une adresse de diffusion ou de groupe, qui désigne plusieurs machines : donnez l&apos;adresse d&apos;un récepteur</source>
        <extracomment>Broadcast or multicast; %1: an address, &quot;192.0.2.255&quot;.</extracomment>
        <translation>%1 is a broadcast or multicast address, which stands for several machines: give the address of one receiver</translation>
    </message>
    <message>
        <source>%1 est hors d&apos;atteinte : aucun réseau de cette machine n&apos;y mène (câble ou Wi-Fi ?)</source>
        <translation>%1 is out of reach: no network of this machine leads there (cable or Wi-Fi?)</translation>
    </message>
    <message>
        <source>cette machine interdit la connexion à %1 : son pare-feu ou une route d&apos;interdiction la bloque</source>
        <extracomment>A prohibit route of the routing table.</extracomment>
        <translation>this machine forbids the connection to %1: its firewall or a prohibit route blocks it</translation>
    </message>
    <message>
        <source>échec de la connexion à %1 : %2</source>
        <extracomment>%2: the system&apos;s own words.</extracomment>
        <translation>connection to %1 failed: %2</translation>
    </message>
    <message>
        <source>« %1 » est une adresse IPv6 : BandePassante mesure en IPv4, donnez l&apos;adresse IPv4 du récepteur</source>
        <translation>&quot;%1&quot; is an IPv6 address: BandePassante measures over IPv4, give the receiver&apos;s IPv4 address</translation>
    </message>
    <message>
        <source>%1 ne répond pas : machine absente ou pare-feu</source>
        <translation>%1 does not answer: no machine there, or a firewall</translation>
    </message>
    <message>
        <source>%1 a accepté puis fermé la connexion : le récepteur sert sans doute déjà un autre émetteur</source>
        <translation>%1 accepted then closed the connection: the receiver is probably serving another transmitter already</translation>
    </message>
    <message>
        <source>fin de la mesure : %1 a arrêté la réception</source>
        <translation>end of the measurement: %1 stopped receiving</translation>
    </message>
    <message>
        <source>connexion coupée par %1 : le récepteur s&apos;est arrêté brusquement (programme fermé ?)</source>
        <translation>connection cut by %1: the receiver stopped abruptly (program closed?)</translation>
    </message>
    <message>
        <source>connexion perdue avec %1 : il ne répond plus (machine éteinte ou réseau coupé)</source>
        <translation>connection lost with %1: it no longer answers (machine off or network down)</translation>
    </message>
    <message>
        <source>connexion perdue avec %1 : %2</source>
        <extracomment>%2: the system&apos;s own words.</extracomment>
        <translation>connection lost with %1: %2</translation>
    </message>
    <message>
        <source>impossible d&apos;écouter le port TCP %1 : un autre programme le tient déjà (une autre réception ?)</source>
        <translation>cannot listen on TCP port %1: another program already holds it (another receiver?)</translation>
    </message>
    <message>
        <source>impossible d&apos;écouter le port TCP %1 : les ports en dessous de 1024 sont réservés à l&apos;administrateur, choisissez-en un de 1024 ou plus</source>
        <translation>cannot listen on TCP port %1: ports below 1024 are reserved for the administrator, choose one of 1024 or more</translation>
    </message>
    <message>
        <source>impossible d&apos;écouter le port TCP %1 : %2</source>
        <extracomment>%2: the system&apos;s own words.</extracomment>
        <translation>cannot listen on TCP port %1: %2</translation>
    </message>
</context>
<context>
    <name>Recepteur</name>
    <message>
        <source>Demande de l&apos;émetteur %1 refusée : %2.</source>
        <translation>Request from transmitter %1 refused: %2.</translation>
    </message>
    <message>
        <source>la demande de l&apos;émetteur a été refusée, aucune mesure</source>
        <translation>the transmitter&apos;s request was refused, no measurement</translation>
    </message>
    <message>
        <source>impossible de servir les métriques sur %1 : %2</source>
        <extracomment>%1 the address given, %2 the system&apos;s reason</extracomment>
        <translation>cannot serve the metrics on %1: %2</translation>
    </message>
    <message>
        <source>Métriques sur %1.</source>
        <extracomment>%1 where the metrics are served</extracomment>
        <translation>Metrics on %1.</translation>
    </message>
    <message>
        <source>plus de connexion possible sur le port de mesure (%1) ; nouvel essai chaque seconde</source>
        <extracomment>%1 the system&apos;s reason (no descriptors left)</extracomment>
        <translation>no more connections possible on the measuring port (%1); trying again every second</translation>
    </message>
    <message>
        <source>Réception sur le port TCP %1 ; annonce de %2 sur le réseau local.</source>
        <extracomment>%1 the port, %2 the address announced</extracomment>
        <translation>Receiving on TCP port %1; announcing %2 on the local network.</translation>
    </message>
    <message>
        <source>Page de mesure pour un téléphone ou un ordinateur : %1</source>
        <extracomment>%1 the page&apos;s addresses</extracomment>
        <translation>Measuring page for a phone or a computer: %1</translation>
    </message>
    <message>
        <source>Emetteur %1 connecté.</source>
        <translation>Transmitter %1 connected.</translation>
    </message>
    <message>
        <source>L&apos;émetteur %1 demande « %2 » pendant %3 s.</source>
        <extracomment>%2 the request as the protocol names it (&quot;retour&quot;, &quot;simultane&quot;...), %3 its seconds</extracomment>
        <translation>Transmitter %1 asks for &quot;%2&quot; for %3 s.</translation>
    </message>
    <message>
        <source>L&apos;émetteur %1 est parti.</source>
        <translation>Transmitter %1 has left.</translation>
    </message>
    <message>
        <source>Le demandeur %1 ne lit plus rien depuis %2 s : connexion fermée.</source>
        <translation>Requester %1 has read nothing for %2 s: connection closed.</translation>
    </message>
    <message>
        <source>L&apos;émetteur %1 n&apos;a rien envoyé depuis %2 s : connexion fermée.</source>
        <translation>Transmitter %1 has sent nothing for %2 s: connection closed.</translation>
    </message>
    <message>
        <source>Connexion avec l&apos;émetteur %1 coupée : %2.</source>
        <translation>Connection with transmitter %1 cut: %2.</translation>
    </message>
    <message>
        <source>Interrompu.</source>
        <translation>Interrupted.</translation>
    </message>
    <message>
        <source>L&apos;appareil %1 (%2) mesure depuis la page.</source>
        <extracomment>%1 the device&apos;s address, %2 its browser and system</extracomment>
        <translation>Device %1 (%2) is measuring from the page.</translation>
    </message>
</context>
<context>
    <name>ResumeMesure</name>
    <message>
        <source>inconnue</source>
        <extracomment>The latency, when no end gave TCP&apos;s view</extracomment>
        <translation>unknown</translation>
    </message>
    <message>
        <source>au repos %1, en charge %2 (+%3), note %4</source>
        <extracomment>The latency: idle, under load, the increase, and its grade (A+ to F)</extracomment>
        <translation>idle %1, under load %2 (+%3), grade %4</translation>
    </message>
</context>
<context>
    <name>Serveurs</name>
    <message>
        <source>impossible d&apos;écouter le port UDP %1 (%2)</source>
        <extracomment>%1 the port, %2 the system&apos;s reason</extracomment>
        <translation>cannot listen on UDP port %1 (%2)</translation>
    </message>
    <message>
        <source>Écoute des annonces de récepteurs sur le port UDP %1 pendant %2 s.</source>
        <translation>Listening for receivers&apos; announcements on UDP port %1 for %2 s.</translation>
    </message>
    <message>
        <source>Écoute des annonces de récepteurs sur le port UDP %1 jusqu&apos;à Ctrl-C.</source>
        <translation>Listening for receivers&apos; announcements on UDP port %1 until Ctrl-C.</translation>
    </message>
    <message numerus="yes">
        <source>%n datagramme(s) ignoré(s) sur le port UDP %1 : ce n&apos;étaient pas des annonces de récepteur.</source>
        <extracomment>%n the datagrams, %1 the port</extracomment>
        <translation>
            <numerusform>%n datagram ignored on UDP port %1: it was not a receiver&apos;s announcement.</numerusform>
            <numerusform>%n datagrams ignored on UDP port %1: they were not receivers&apos; announcements.</numerusform>
        </translation>
    </message>
    <message>
        <source>Aucun récepteur entendu en %1 s. Un récepteur s&apos;annonce environ 1 s après son démarrage puis toutes les 30 s.</source>
        <translation>No receiver heard in %1 s. A receiver announces itself about 1 s after it starts, then every 30 s.</translation>
    </message>
</context>
<context>
    <name>ServiceRecepteur</name>
    <message>
        <source>demande mal formée</source>
        <translation>malformed request</translation>
    </message>
    <message>
        <source>envoi vers le demandeur refusé</source>
        <translation>sending to the requester refused</translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <source>ce récepteur ne sait pas envoyer : lancez l&apos;émetteur sur l&apos;autre machine</source>
        <translation>this receiver cannot send: start the transmitter on the other machine</translation>
    </message>
    <message>
        <source>pas d&apos;adresse IPv4</source>
        <translation>no IPv4 address</translation>
    </message>
    <message>
        <source>nom inconnu ou mal écrit</source>
        <translation>unknown or misspelt name</translation>
    </message>
    <message>
        <source>le résolveur de noms a échoué</source>
        <translation>the name resolver failed</translation>
    </message>
    <message>
        <source>« %1 » ne donne aucune adresse IPv4 (%2) : vérifiez le nom ou donnez l&apos;adresse du récepteur</source>
        <extracomment>%1 the name given, %2 why it gave no address</extracomment>
        <translation>&quot;%1&quot; gives no IPv4 address (%2): check the name or give the receiver&apos;s address</translation>
    </message>
    <message>
        <source>« %1 » ne s&apos;est pas résolu en %2 s : vérifiez le nom ou donnez l&apos;adresse du récepteur</source>
        <translation>&quot;%1&quot; was not resolved in %2 s: check the name or give the receiver&apos;s address</translation>
    </message>
    <message>
        <source>personne n&apos;a accepté la connexion à %1, port TCP %2, en %3 s : %4.
Causes habituelles : la réception n&apos;est pas démarrée sur cette machine, ou un pare-feu ferme le port TCP %2</source>
        <extracomment>%1 the receiver, %2 the port, %3 the seconds waited, %4 &quot;connexion refusée&quot; or &quot;aucune réponse&quot;</extracomment>
        <translation>nobody accepted the connection to %1, TCP port %2, in %3 s: %4.
Usual causes: reception is not started on that machine, or a firewall closes TCP port %2</translation>
    </message>
    <message>
        <source>connexion refusée</source>
        <translation>connection refused</translation>
    </message>
    <message>
        <source>aucune réponse</source>
        <translation>no answer</translation>
    </message>
    <message>
        <source>le récepteur refuse l&apos;envoi vers cette machine</source>
        <translation>the receiver refuses to send to this machine</translation>
    </message>
    <message>
        <source>le récepteur a fermé la connexion avant la fin, sans son rapport : mesure coupée</source>
        <translation>the receiver closed the connection before the end, without its report: measurement cut</translation>
    </message>
    <message>
        <source>interrompu avant que le récepteur accepte, aucune mesure</source>
        <translation>interrupted before the receiver accepted, no measurement</translation>
    </message>
    <message>
        <source>le compte de cette machine, ce que le récepteur en a acquitté, est donné à la place</source>
        <extracomment>What an upload&apos;s summary gives when the receiver&apos;s own report cannot be used</extracomment>
        <translation>this machine&apos;s own count, what the receiver acknowledged of it, is given instead</translation>
    </message>
    <message>
        <source>le rapport du récepteur est invraisemblable (plus d&apos;octets ou de secondes que cette machine n&apos;en a envoyé) : %1</source>
        <translation>the receiver&apos;s report cannot be true (more bytes or seconds than this machine sent): %1</translation>
    </message>
    <message>
        <source>le récepteur n&apos;a pas dit ce qu&apos;il a reçu (version ancienne ?) : %1</source>
        <translation>the receiver did not say what it received (an old version?): %1</translation>
    </message>
</context>
<context>
    <name>Sortie</name>
    <message>
        <source>impossible d&apos;écrire sur la sortie standard (%1) : arrêt</source>
        <translation>cannot write to standard output (%1): stopping</translation>
    </message>
    <message>
        <source>rtt %1  retr %2</source>
        <extracomment>TCP&apos;s round trip and the retransmissions in the second</extracomment>
        <translation>rtt %1  retr %2</translation>
    </message>
    <message>
        <source>signal %1 dBm</source>
        <extracomment>The Wi-Fi signal</extracomment>
        <translation>signal %1 dBm</translation>
    </message>
    <message numerus="yes">
        <source>Résumé (%1) : %2, %3 envoyés, %n secondes complètes</source>
        <extracomment>%1 the far end, %2 the duration, %3 the bytes sent; %n the complete seconds</extracomment>
        <translation>
            <numerusform>Summary (%1): %2, %3 sent, %n complete second</numerusform>
            <numerusform>Summary (%1): %2, %3 sent, %n complete seconds</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Résumé (%1) : %2, %3 reçus, %n secondes complètes</source>
        <extracomment>%1 the far end, %2 the duration, %3 the bytes received; %n the complete seconds</extracomment>
        <translation>
            <numerusform>Summary (%1): %2, %3 received, %n complete second</numerusform>
            <numerusform>Summary (%1): %2, %3 received, %n complete seconds</numerusform>
        </translation>
    </message>
    <message>
        <source>moyenne</source>
        <translation>mean</translation>
    </message>
    <message>
        <source>minimum</source>
        <translation>minimum</translation>
    </message>
    <message>
        <source>médiane</source>
        <translation>median</translation>
    </message>
    <message>
        <source>90e centile</source>
        <extracomment>The 90th percentile</extracomment>
        <translation>90th percentile</translation>
    </message>
    <message>
        <source>maximum</source>
        <translation>maximum</translation>
    </message>
    <message>
        <source>latence</source>
        <translation>latency</translation>
    </message>
    <message>
        <source>lien</source>
        <translation>link</translation>
    </message>
    <message>
        <source>Lien : %1.</source>
        <translation>Link: %1.</translation>
    </message>
    <message>
        <source>simultané %1</source>
        <extracomment>A direction (%1) measured in the simultaneous phase</extracomment>
        <translation>both at once, %1</translation>
    </message>
    <message>
        <source>page %1</source>
        <extracomment>A direction (%1) measured from the measuring page</extracomment>
        <translation>page, %1</translation>
    </message>
    <message>
        <source>Test complet (%1), débits moyens :</source>
        <translation>Full test (%1), mean rates:</translation>
    </message>
    <message>
        <source>Test complet (%1), débits moyens : « %2 »</source>
        <translation>Full test (%1), mean rates: &quot;%2&quot;</translation>
    </message>
    <message>
        <source>non mesuré</source>
        <translation>not measured</translation>
    </message>
    <message>
        <source>montant %1, descendant %2</source>
        <translation>upload %1, download %2</translation>
    </message>
    <message>
        <source>latence %1 : %2</source>
        <extracomment>%1 the phase, %2 its latency</extracomment>
        <translation>latency, %1: %2</translation>
    </message>
    <message>
        <source>bandepassante-console : %1.</source>
        <translation>bandepassante-console: %1.</translation>
    </message>
</context>
<context>
    <name>TestComplet</name>
    <message>
        <source>montant</source>
        <translation>upload</translation>
    </message>
    <message>
        <source>descendant</source>
        <translation>download</translation>
    </message>
    <message>
        <source>simultané</source>
        <translation>both at once</translation>
    </message>
</context>
<context>
    <name>Winsock</name>
    <message>
        <source>aucune donnée depuis %1 s</source>
        <extracomment>%1: a number of seconds.</extracomment>
        <translation>no data for %1 s</translation>
    </message>
</context>
</TS>
