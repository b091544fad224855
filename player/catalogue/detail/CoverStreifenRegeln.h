#pragma once

// The cover strip: small covers of the records the catalogue grid lists, taken from the files
// of the database's "Bilder" folder whose name without extension is exactly "Band - LPTitel" of
// a grid row. The strip shows a page of slots 0..letzterSlot starting at the list index
// position; it pages without wrapping and follows the current record.

#include <QList>
#include <QString>
#include <QStringList>

namespace klang::detail {

struct BandTitel
{
    QString band;
    QString titel;
    // The grid row; -1: the entry's index in the list of rows (a list of every row). A list
    // of only the rows that have a cover names their rows here.
    int zeile = -1;
};

class CoverStreifenRegeln
{
public:
    static constexpr int SlotAnzahl = 22;

    // The name a cover file must have without its extension.
    static QString coverName(const BandTitel& zeile);
    // The file name without its last "." and what follows (a name without "." as a whole).
    static QString ohneEndung(const QString& dateiname);

    // Rebuilds the list: every file (in the given order) once per grid row whose
    // "Band - LPTitel" equals the file's base name exactly (case-sensitive, no trimming).
    void listeAktuell(const QStringList& dateien, const QList<BandTitel>& zeilen);

    // The last slot index for an inner window height in twips: (height - 1900) \ 970, never
    // above the number of slots or entries - 1.
    static int letzterSlotFuerHoehe(int hoeheTwips, int eintraege);

    // Recounts the slots for the window height and shows the current page again.
    void aktualisieren(int hoeheTwips);
    // Sets the last slot index as the window layout computes it (capped like above).
    void setLetzterSlot(int index);

    void down();
    void up();

    // Moves the strip to the first entry that contains the band and the title of the record
    // (trimmed, ignoring case). A record without band and title matches nothing. Returns true
    // when the strip moved.
    bool folgen(const QString& band, const QString& titel);

    // Entries shown in slots 0..letzterSlot ("" for a slot beyond the list).
    QStringList seite() const;
    // Cover name (without extension) in a slot, "" for an empty slot.
    QString nameInSlot(int slot) const;
    // The first grid row (of zeilen) whose cover is in the slot, -1 for none.
    int zeileFuerSlot(int slot, const QList<BandTitel>& zeilen) const;

    const QStringList& liste() const { return m_liste; }
    int position() const { return m_position; }
    int letzterSlot() const { return m_letzterSlot; }

private:
    void begrenzeLetztenSlot();

    QStringList m_liste;
    int m_position = 0;
    int m_letzterSlot = 0;
    int m_angefordert = 0; // what the window height allows, before the caps
};

} // namespace klang::detail
