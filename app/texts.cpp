#include "app/texts.h"

#include "core/player.h"
#include "build_date.h"
#include "version.h"

namespace vireo {

namespace {

// Days since 1970-01-01 to a proleptic Gregorian date (eras of 400 years).
void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

std::string TwoDigits(int v) {
    std::string s(2, '0');
    s[0] = static_cast<char>('0' + v / 10 % 10);
    s[1] = static_cast<char>('0' + v % 10);
    return s;
}

// ASCII only: the mask is Windows-1252 and its upper half must stay as it is.
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool TokenAt(std::string_view mask, size_t at, std::string_view token) {
    if (mask.size() - at < token.size()) return false;
    for (size_t i = 0; i < token.size(); ++i)
        if (AsciiLower(mask[at + i]) != token[i]) return false;
    return true;
}

}  // namespace

bool BreakDownDate(int64_t date, CivilTime& out) {
    out = CivilTime{};
    if (date < kFirstFormattableDate || date > kLastFormattableDate) return false;
    const int64_t days = date / 86400;
    const int64_t rest = date % 86400;
    CivilFromDays(days, out.year, out.month, out.day);
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    return true;
}

std::string FormatDateMask(std::string_view mask, int64_t date) {
    CivilTime t;
    const bool ok = BreakDownDate(date, t);
    const std::string year = ok ? std::to_string(t.year) : std::string("0000");

    std::string out;
    out.reserve(mask.size() + 8);
    size_t i = 0;
    while (i < mask.size()) {
        if (mask[i] != '%') {
            out += mask[i++];
            continue;
        }
        const size_t at = i + 1;
        if (TokenAt(mask, at, "yyyy")) {
            out += year;
            i = at + 4;
        } else if (TokenAt(mask, at, "yy")) {
            out += year.substr(2, 2);  // the range keeps the year at four digits
            i = at + 2;
        } else if (TokenAt(mask, at, "mm")) {
            out += TwoDigits(t.month);
            i = at + 2;
        } else if (TokenAt(mask, at, "dd")) {
            out += TwoDigits(t.day);
            i = at + 2;
        } else if (TokenAt(mask, at, "hh")) {
            out += TwoDigits(t.hour);
            i = at + 2;
        } else if (TokenAt(mask, at, "ii")) {
            out += TwoDigits(t.minute);
            i = at + 2;
        } else if (TokenAt(mask, at, "ss")) {
            out += TwoDigits(t.second);
            i = at + 2;
        } else {
            // Not a token: the "%" stays, and what follows is read afresh.
            out += '%';
            i = at;
        }
    }
    return out;
}

std::string BuildHelpText() {
    std::string t = "VIREO Version " VIREO_VERSION_TEXT "\r\r";
    t += "USER -> Pour présélectionner un dossier contenant la musique préférée de l'utilisateur. "
         "Celui-ci sera alors automatiquement sélectionné au démarrage du programme.\r";
    t += "SELECTION -> permet de naviguer sur le système de l'utilisateur et de choisir un dossier "
         "contenant la musique à écouter.\r\r";
    t += "Le nombre de morceaux de musique contenu dans le dossier sélectionné est affiché à droite "
         "du bouton.\r\r";
    t += "Les titres sont listés dans une combobox permettant de choisir l'un ou l'autre.\r\r";
    t += "Deux options de lecture : \r";
    t += "- Tout lire. La case est cochée par défaut et la lecture commence au premier titre listé "
         "jusqu'au dernier, les uns après les autres. La lecture s'arrête à l'issue.\r";
    t += "- Lecture continue. Si cette case est cochée, une fois que tous les titres contenus dans "
         "le dossier ont été lus, la lecture recommence depuis le premier titre, et ainsi de suite.\r\r";
    t += "PLAY -> permet de lancer la lecture du titre sélectionné.\r";
    t += "PAUSE -> interrompt la lecture en cours qui reste en attente.\r";
    t += "REPRENDRE -> redémarre la lecture là où elle avait été interrompue par le bouton PAUSE.\r";
    t += "STOP -> arrête la lecture en cours et remet le morceau de musique à son point de départ.\r";
    t += "VOLUME -> Ouvre le réglage du volume général de l'ordinateur\r";
    t += "AIDE -> Ouvre la présente fenêtre\r";
    t += "A PROPOS -> Informations de version\r";
    t += "REDUIRE -> Réduit le lecteur en icône dans la barre des tâches\r";
    t += "QUITTER -> Ferme et quitte Vireo\r";
    t += "CONNEXION -> Connexion à la page du site web de Vireo\r\r";
    t += "Quatre indicateurs numériques :\r";
    t += "- Temps : Temps écoulé en minutes et secondes du morceau en cours.\r";
    t += "- Durée : Durée totale en minutes et secondes du morceau en cours.\r";
    t += "- Count : Compteur des secondes en mode décimal\r";
    t += "- Seconds : Durée totale du morceau en secondes \r";
    return t;
}

std::string BuildAboutText(int64_t buildDate) {
    std::string t = "Vireo Mini ( Mp3 ; Wav ; Wma ; Midi )\r";
    t += "\r";
    t += "Compatible Windows Xp / Vista / 7\r";
    t += "Dernière compilation : ";
    t += FormatDateMask(kAboutDateMask, buildDate);
    t += "\r\r";
    t += "Merci aux auteurs du petit lecteur MP3 dont ce lecteur est issu.\r";
    t += "Merci également au contributeur qui a réalisé l'affichage de la progression dans la "
         "barre des tâches et le chargement des curseurs.";
    return t;
}

void ShowHelp(Player& p) {
    p.st.helpText = BuildHelpText();
    p.io.boxes.showBox(kHelpTitle, p.st.helpText, kBoxInformation);
}

void ShowAbout(Player& p) {
    p.st.aboutText = BuildAboutText(kBuildDate);
    p.io.boxes.showBox(kAboutTitle, p.st.aboutText, kBoxInformation);
}

}  // namespace vireo
