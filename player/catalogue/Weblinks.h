#pragma once

// Web pages and links of the main window: the fixed addresses, the shop search, how a selected
// text is read as a link, and which links may be opened at all. No widgets here.

#include <QString>
#include <QUrl>

namespace klang::player::weblinks {

// The maker's pages and the outside services.
QString faqSeite();
QString nutzungslizenzSeite();
QString produktSeite();
QString downloadSeite();      // default of the setting "Update"
QString uebersetzungsSeite(); // translation service
QString schreibSeite();       // writing service
QString shopSuche();          // ends with its keywords parameter

// The shop search text of a caption label: 0 band, 1 band "+" title, 8 order number; "" for
// any other label. Blanks become "+", ä ö ü ß are written out (case-sensitive: capitals stay),
// then everything but that "+" is percent-encoded, so "&", "#" or "?" cannot break the query.
QString shopSuchtext(int index, const QString& band, const QString& titel, const QString& bestellNr);
// The whole search address for a search text ("" stays "").
QString shopAdresse(const QString& suchtext);

// How a selected text is offered: the first rule that matches wins.
enum class LinkArt { Web, Datei, Mail, Text };
LinkArt linkArt(const QString& text);
// The path a file text names: a "file:" link read as the local file it is, else the text.
QString dateiPfad(const QString& text);
// The mail link for an address as confirmed: "mailto:" in front unless it is there already.
QString mailLink(const QString& adresse);

// The address a confirmed answer opens. Only http, https, mailto and existing local files are
// accepted; a text with a scheme is read as it stands, one without is completed ("www.x"
// means http://www.x). Anything else gives an invalid URL and *grund says why, in German.
// A local file is opened through the desktop; files it would run or install (an execute bit,
// a launcher, a program, script or installer package, Windows ones included, by name or by
// content) are refused. A mail address keeps
// only the address and the subject.
QUrl sichererLink(const QString& antwort, QString* grund = nullptr);

} // namespace klang::player::weblinks
