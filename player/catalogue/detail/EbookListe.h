#pragma once

// The eBook and multimedia list of a record: cboEbook lists the existing files of the field
// eBook (a degree-sign list), imgEbookPlay opens the chosen one with the program the desktop
// associates with its type. A listed program is never executed.

#include "player/catalogue/detail/Gradzeichenliste.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QToolButton;

namespace klang::detail {

class EbookListe : public QWidget
{
    Q_OBJECT
public:
    // Opens the document with its associated program prog; replaceable for tests.
    using Starter = std::function<bool(const QString& prog, const QString& datei)>;
    // The associated program of a document ("" for none or for a program); replaceable for tests.
    using Zuordnung = std::function<QString(const QString& datei)>;

    explicit EbookListe(QWidget* parent = nullptr);

    void setDatenbankPfad(const QString& pfad);
    void setAusDatenbankpfad(bool an);
    void setStarter(Starter starter) { m_starter = std::move(starter); }
    void setZuordnung(Zuordnung zuordnung) { m_zuordnung = std::move(zuordnung); }

    // The record's field eBook; rebuilds the list (the text becomes the last file found).
    void eBookListe(const QString& feld);
    QString beschriftung() const { return m_beschriftung; }

    QComboBox* cboEbook = nullptr;
    QToolButton* imgEbookPlay = nullptr;

public Q_SLOTS:
    // Opens the file named by the text of cboEbook; false when nothing was started.
    bool imgEbookPlay_Click();

Q_SIGNALS:
    // The caption label Bez(11): "eBook u. Multimedia (n)".
    void beschriftungGeaendert(const QString& text);
    void fokusErhalten(const QString& name); // "cboEbook"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_datenbankPfad;
    bool m_ausDatenbankpfad = true;
    QString m_beschriftung;
    Starter m_starter;
    Zuordnung m_zuordnung;
};

} // namespace klang::detail
