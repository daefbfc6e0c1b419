#!/usr/bin/env python3
"""Checks that src/ keeps its floors: every #include "..." points to the same
floor or a lower one, no include circle spans two folders, and only the main
window includes Form1.h.

    python3 scripts/couches.py [--dot]

Without --dot it prints what breaks the rules and exits 1 if anything does;
with --dot it prints the folder graph (Graphviz), floors from bottom to top.
"""
import os
import re
import sys

RACINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")

# Floors from the bottom; a file belongs to the first rule that matches its
# path (a folder, or one file without extension). docs/ARCHITECTURE.md says the
# same in words.
ETAGES = [
    ("noyau", ["ftp", "sftp", "security", "session", "settings", "platform/Dossiers",
               "platform/InstanceUnique", "about/InfoProduit", "automation/ArgumentsProgramme",
               "automation/LigneCommande", "browsing/CheminsSite", "browsing/TextesTaille"]),
    ("plateforme", ["platform"]),
    ("fenetre", ["window"]),
    ("dialogues", ["layout", "about", "dialogs"]),
    ("connexion", ["connection"]),
    ("navigation", ["browsing"]),
    ("transferts", ["transfers"]),
    ("automatisation", ["automation"]),
    ("principal", ["mainwindow", "main"]),
]

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def etage(chemin):
    """Floor index of a path relative to src/, without extension."""
    for i, (_, regles) in enumerate(ETAGES):
        for regle in regles:
            if chemin == regle or chemin.startswith(regle + "/"):
                return i
    raise SystemExit("fichier hors des étages : " + chemin)


def dossier(chemin):
    return chemin.split("/")[0] if "/" in chemin else chemin


def lit_includes():
    aretes = []  # (source, cible), paths relative to src/ without extension
    for base, _, fichiers in os.walk(RACINE):
        for nom in sorted(fichiers):
            if not nom.endswith((".cpp", ".h")):
                continue
            complet = os.path.join(base, nom)
            source = os.path.splitext(os.path.relpath(complet, RACINE))[0]
            with open(complet, encoding="utf-8") as f:
                for cible in INCLUDE.findall(f.read()):
                    cible = os.path.splitext(cible)[0]
                    if os.path.exists(os.path.join(RACINE, cible + ".h")):
                        aretes.append((source, cible))
    return aretes


def circuits(graphe):
    """Strongly connected components of more than one node (Tarjan)."""
    index, bas, pile, sur, resultat = {}, {}, [], set(), []

    def visite(n):
        index[n] = bas[n] = len(index)
        pile.append(n)
        sur.add(n)
        for m in graphe.get(n, ()):
            if m not in index:
                visite(m)
                bas[n] = min(bas[n], bas[m])
            elif m in sur:
                bas[n] = min(bas[n], index[m])
        if bas[n] == index[n]:
            composante = []
            while True:
                m = pile.pop()
                sur.discard(m)
                composante.append(m)
                if m == n:
                    break
            if len(composante) > 1:
                resultat.append(sorted(composante))

    for n in list(graphe):
        if n not in index:
            visite(n)
    return resultat


def main():
    aretes = lit_includes()
    dossiers = {}
    for s, c in aretes:
        if dossier(s) != dossier(c):
            dossiers.setdefault(dossier(s), set()).add(dossier(c))

    if "--dot" in sys.argv:
        print("digraph includes {\n  rankdir=BT;")
        for s, cibles in sorted(dossiers.items()):
            for c in sorted(cibles):
                print(f'  "{s}" -> "{c}";')
        print("}")
        return 0

    fautes = []
    for s, c in aretes:
        if etage(c) > etage(s):
            fautes.append(f"include vers le haut : {s} -> {c}")
        if c == "mainwindow/Form1" and dossier(s) not in ("mainwindow", "main"):
            fautes.append(f"Form1.h inclus hors de la fenêtre principale : {s}")
    for composante in circuits(dossiers):
        fautes.append("circuit entre dossiers : " + " ".join(composante))
    for f in fautes:
        print(f)
    return 1 if fautes else 0


if __name__ == "__main__":
    sys.exit(main())
