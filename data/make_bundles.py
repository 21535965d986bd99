#!/usr/bin/env python3
"""Writes the interface text bundles qv_rb.en and qv_rb.fr beside this script.

The bundles are read with the system's profile-string reader, which keeps accents on every
system code page only for UTF-16LE files with a byte-order mark; this script is the editable
source. Keys are the program's English texts exactly as it asks for them (ampersands and
trailing spaces included); the reader ignores spaces around keys and values.
Run it after editing and commit its output with it.
"""
import os

# (key, English, French)
MAIN = [
    # The tutorial page installed with the program, in the bundle's language: a path without a
    # scheme is taken inside the installation folder, so the page opens offline wherever QV is
    # installed.
    ("TutorialURL", "tutorial\\index.html", "tutorial\\index.fr.html"),
    ("Brantel QV Dictionary", "Brantel QV Dictionary", "Dictionnaire QV de Brantel"),
    ("Failed to create Brantel QV Dictionary tray icon",
     "Failed to create Brantel QV Dictionary tray icon",
     "Impossible de créer l'icône du Dictionnaire QV de Brantel dans la zone de notification"),
    ("Mouse Hover + CTRL", "Mouse Hover + CTRL", "Survol de la souris + Ctrl"),
    ("Mouse Hover + F8", "Mouse Hover + F8", "Survol de la souris + F8"),
    ("Mouse Hover + Shift", "Mouse Hover + Shift", "Survol de la souris + Maj"),
    ("Mouse Hover + ALT", "Mouse Hover + ALT", "Survol de la souris + Alt"),
    # Kept in every language: a second start of the program finds the running one by the
    # settings window's title, "QV Settings".
    ("QV Settings", "QV Settings", "QV Settings"),
    # The settings window's label has room for about 17 characters.
    ("Activation Sequence", "Activation Sequence", "Activation"),
    ("Enable QV", "Enable QV", "Activer QV"),
    ("OK", "OK", "OK"),
    ("Cancel", "Cancel", "Annuler"),
    ("Exit", "Exit", "Quitter"),
    ("Enable", "Enable", "Activer"),
    ("Disable", "Disable", "Désactiver"),
    ("Disable Qv", "Disable QV", "Désactiver QV"),
    ("See Help Page for Pronounciation examples and references",
     "See the Help page for pronunciation examples and references",
     "Voir la page d'aide pour des exemples de prononciation et des références"),
    ("No word has been captured move mouse and try again",
     "No word has been captured: move the mouse and try again",
     "Aucun mot n'a été capturé : déplacez la souris et réessayez"),
    ("WordNet database not found", "WordNet database not found",
     "Base de données WordNet introuvable"),
    # Menu 202 (tray) and menu 219 (settings window's menu bar).
    ("_POPUP_", "_POPUP_", "_POPUP_"),
    ("E&xit", "E&xit", "&Quitter"),
    ("Help", "Help", "Aide"),
    ("&Settings...", "&Settings...", "&Paramètres..."),
    ("Pronounciation ", "Pronunciation", "Prononciation"),
    ("Pronounciation Guide", "Pronunciation Guide", "Guide de prononciation"),
    ("Web Tutorial", "Web Tutorial", "Didacticiel"),
    ("About", "About", "À propos"),
    ("QV Pronounciation Guide", "QV Pronunciation Guide", "Guide de prononciation de QV"),
    # The settings window's group box.
    ("Hot Key Activation", "Hot Key Activation", "Activation par touche"),
    # The tray balloon when the capture component is missing or fails (at most 255 characters).
    ("Text capture unavailable",
     "QV cannot read the text under the pointer: its capture component is missing or damaged. "
     "Look-ups are switched off; switch them on again to retry, or reinstall QV.",
     "QV ne peut pas lire le texte sous le pointeur : son composant de capture est absent ou "
     "endommagé. QV est désactivé ; réactivez-le pour réessayer, ou réinstallez QV."),
    # The look-up window, its tray and menu-bar item, and the settings window's history switch.
    ("QV Look Up", "QV Look Up", "Recherche QV"),
    ("Look Up a Word...", "Look Up a Word...", "Rechercher un mot..."),
    ("Clear history", "Clear history", "Effacer l'historique"),
    ("Export...", "Export...", "Exporter..."),
    ("Keep a history of look-ups", "Keep a history of look-ups", "Garder l'historique des recherches"),
    ("Tab-separated text", "Tab-separated text", "Texte séparé par des tabulations"),
    ("The word list could not be written.", "The word list could not be written.",
     "La liste de mots n'a pas pu être écrite."),
    ("The history could not be cleared.", "The history could not be cleared.",
     "L'historique n'a pas pu être effacé."),
    # The tray balloon when the history file cannot be read or written (at most 255 characters).
    ("History unreadable",
     "QV cannot read its history (history.tsv in %APPDATA%\\QV): another program holds it or "
     "its access is denied. QV leaves the file as it is and saves no words until it can read it.",
     "QV ne peut pas lire son historique (history.tsv dans %APPDATA%\\QV) : un autre programme le "
     "tient ou son accès est refusé. QV n'y touche pas et n'enregistre aucun mot d'ici là."),
    ("History not saved",
     "QV cannot save its history (history.tsv in %APPDATA%\\QV): the file or its folder cannot "
     "be written. The words looked up are kept until QV closes and saved as soon as it can.",
     "QV ne peut pas enregistrer son historique (history.tsv dans %APPDATA%\\QV) : le fichier ou "
     "son dossier est protégé. Les mots sont gardés jusqu'à la fermeture de QV."),
]
ABOUT = [
    ("About", "About QV", "À propos de QV"),
    ("OK", "OK", "OK"),
    ("A Brantel product", "A Brantel product", "Un produit Brantel"),
]


def write(lang, col):
    lines = ["[Main]"] + ["%s=%s" % (row[0], row[col]) for row in MAIN]
    lines += ["", "[About]"] + ["%s=%s" % (row[0], row[col]) for row in ABOUT]
    text = "\ufeff" + "\r\n".join(lines) + "\r\n"
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "qv_rb." + lang)
    with open(path, "wb") as f:
        f.write(text.encode("utf-16-le"))


if __name__ == "__main__":
    write("en", 1)
    write("fr", 2)
