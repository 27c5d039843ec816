#!/usr/bin/env python3
"""Writes the demo address book (adresse.qdx, names.qdx, secure.qdx) into this directory.

Fictitious people and companies. The files are Windows-1252 with CR LF, as the program
writes them: record sections in the order they were entered, keys in store order, the name
index sorted, two soft-deleted records whose sections stay in the record store.
"""
import os

STORE_ORDER = ["Vorname", "Name", "Position", "Kurzzeichen", "Firma", "Strasse", "PLZ", "Ort",
               "Telefon1", "Telefon2", "Fax", "Handy", "EMail", "Kurzwahl", "IRuf"]

COMPANIES = {
    "lind": ("Lindner Möbelwerkstätten GmbH", "Am Sägewerk 4", "79822", "Titisee-Neustadt",
             "07651 93410", "07651 934199", "lindner-moebel.example"),
    "ober": ("Oberländer Brauerei KG", "Brauhausstraße 12", "83471", "Berchtesgaden",
             "08652 60870", "08652 608799", "oberlaender-brauerei.example"),
    "kues": ("Küstenlogistik Nord AG", "Kaistraße 31", "24103", "Kiel",
             "0431 5581200", "0431 5581299", "kuestenlogistik.example"),
    "gruen": ("Grünwald & Söhne Steuerberatung", "Königsallee 88", "40212", "Düsseldorf",
              "0211 4478300", "0211 4478399", "gruenwald-steuer.example"),
    "weiss": ("Weißdorn Software e.K.", "Jägerstraße 7", "07743", "Jena",
              "03641 229450", "", "weissdorn-software.example"),
}

# (first name, name, company, department, position, mobile, speed dial, extension)
PEOPLE = [
    ("Anna", "Meier", "lind", "Geschäftsleitung", "Geschäftsführerin", "0171 2233445", "11", "100"),
    ("Jörg", "Lindner", "lind", "Werkstatt", "Schreinermeister", "0160 9988776", "", "110"),
    ("Käthe", "Schäfer", "lind", "Buchhaltung", "Buchhalterin", "", "", "120"),
    ("Björn", "Hansen", "lind", "Vertrieb", "Außendienst", "0152 3344556", "", ""),
    ("Sören", "Brückner", "lind", "Einkauf", "Einkäufer", "", "", ""),
    ("Günther", "Oberländer", "ober", "Geschäftsleitung", "Braumeister", "0170 1122334", "21", "200"),
    ("Ute", "Fuchs", "ober", "Vertrieb", "Vertriebsleiterin", "0175 5566778", "", "210"),
    ("Hans-Peter", "Groß", "ober", "Lager", "Lagerleiter", "", "", ""),
    ("Leonie", "Wagner", "ober", "Marketing", "", "0151 2468135", "", ""),
    ("Maximilian", "Krüger", "kues", "Disposition", "Disponent", "0162 1357913", "31", "300"),
    ("Dörte", "Petersen", "kues", "Personal", "Personalreferentin", "", "", "310"),
    ("Jens", "Möller", "kues", "IT", "Administrator", "0173 8642097", "", "320"),
    ("Bärbel", "Sommer", "kues", "Geschäftsleitung", "Vorstand", "", "", ""),
    ("Tobias", "Jäger", "kues", "Fuhrpark", "", "0157 7531598", "", ""),
    ("Gudrun", "Grünwald", "gruen", "", "Steuerberaterin", "0172 9517534", "41", "400"),
    ("Rüdiger", "Grünwald", "gruen", "", "Steuerberater", "", "", "401"),
    ("Sabine", "Köhler", "gruen", "Lohnbuchhaltung", "Sachbearbeiterin", "", "", ""),
    ("Götz", "Weißdorn", "weiss", "Entwicklung", "Inhaber", "0176 3692581", "51", "500"),
    ("Lena", "Vogt", "weiss", "Support", "", "", "", ""),
    ("Felix", "Öztürk", "weiss", "Entwicklung", "Entwickler", "0159 1472583", "", ""),
    ("Ingrid", "Überall", "", "", "", "0170 2583691", "", ""),
    ("Paul", "Dietrich", "", "", "", "", "", ""),
    ("Marie", "Schulze", "", "", "Hausärztin", "", "", ""),
    ("Klaus", "Zimmermann", "", "", "", "0171 3216549", "", ""),
    ("Heike", "Lorenz", "", "", "", "", "", ""),
    ("Emma", "Fischer", "", "", "Nachbarin", "", "", ""),
    ("Andreas", "Weber", "ober", "Abfüllung", "Schichtleiter", "", "", ""),
    ("Monika", "Becker", "lind", "Vertrieb", "Innendienst", "", "", ""),
    ("Thomas", "Müller", "gruen", "", "Auszubildender", "", "", ""),
    ("Stefan", "Hoffmann", "kues", "Disposition", "Disponent", "", "", ""),
]
PRIVATE = {  # street, postcode, town, phone for people without company
    "Überall": ("Lindenallee 3", "90402", "Nürnberg", "0911 234567"),
    "Dietrich": ("Mühlenweg 18", "37073", "Göttingen", "0551 789012"),
    "Schulze": ("Schillerplatz 2", "97070", "Würzburg", "0931 456789"),
    "Zimmermann": ("Gartenstraße 41", "23552", "Lübeck", "0451 654321"),
    "Lorenz": ("Am Brühl 9", "04109", "Leipzig", "0341 112233"),
    "Fischer": ("Birkenweg 5", "79098", "Freiburg im Breisgau", "0761 445566"),
}
DELETED = ["Hansen,Björn", "Lorenz,Heike"]

MAIL = str.maketrans({"ä": "ae", "ö": "oe", "ü": "ue", "ß": "ss", "Ä": "Ae", "Ö": "Oe", "Ü": "Ue"})


def record(person, index):
    first, name, company, department, position, mobile, speed, extension = person
    values = dict.fromkeys(STORE_ORDER, "")
    values.update(Vorname=first, Name=name, Position=position, Kurzzeichen=department,
                  Handy=mobile, Kurzwahl=speed, IRuf=extension)
    if company:
        firm, street, postcode, town, phone, fax, domain = COMPANIES[company]
        direct = phone.rsplit(" ", 1)
        values.update(Firma=firm, Strasse=street, PLZ=postcode, Ort=town, Telefon1=phone, Fax=fax,
                      Telefon2=f"{direct[0]} {direct[1][:-2]}{10 + index:02d}" if index % 2 else "",
                      EMail=f"{first.translate(MAIL).lower()}.{name.translate(MAIL).lower()}@{domain}")
    else:
        street, postcode, town, phone = PRIVATE[name]
        values.update(Strasse=street, PLZ=postcode, Ort=town, Telefon1=phone)
    return values


def german_order(key):
    folded = key.lower()
    for umlaut, base in (("ä", "a"), ("ö", "o"), ("ü", "u"), ("ß", "ss")):
        folded = folded.replace(umlaut, base)
    return (folded, key)


def write(path, text):
    with open(path, "wb") as f:
        f.write(text.encode("cp1252"))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    store, keys = [], []
    for index, person in enumerate(PEOPLE):
        key = f"{person[1]},{person[0]}"
        keys.append(key)
        store.append(f"[{key}]\r\n")
        values = record(person, index)
        store.extend(f"{k}={values[k]}\r\n" for k in STORE_ORDER)
    live = sorted((k for k in keys if k not in DELETED), key=german_order)
    write(os.path.join(here, "adresse.qdx"), "".join(store))
    write(os.path.join(here, "names.qdx"), "".join(k + "\r\n" for k in live))
    write(os.path.join(here, "secure.qdx"), "".join(k + "\r\n" for k in DELETED))


if __name__ == "__main__":
    main()
