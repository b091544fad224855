#pragma once

// The grammar of the RTF subset above the tokens: group state, destinations, Unicode skip
// counts and paragraph marks. One interpreter serves two sinks, the document reader and the
// plain-text scanner, so that both see exactly the same visible text.
//
// A paragraph mark is held back until more text follows: the mark that ends the last
// paragraph (every writer puts one there) does not open an empty paragraph of its own.

#include "platform/richtext/RtfTokenizer.h"

#include <QColor>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

namespace klang::richtext::detail {

enum class ListKind { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

struct CharState
{
    int font = -1;    // -1: the default font (\deff)
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int vertical = 0; // 0 normal, 1 \super, 2 \sub
    int offset = 0;   // \up (> 0) or \dn (< 0), half-points
    int color = 0;    // colour table index, 0 = automatic
    int highlight = 0;
    bool operator==(const CharState&) const = default;
};

struct ParaState
{
    int align = 0; // 0 left, 1 centre, 2 right, 3 justified
    int left = 0;  // twips
    int right = 0;
    int firstLine = 0;
    ListKind list = ListKind::None;
    bool operator==(const ParaState&) const = default;
};

enum class Dest { Text, Skip, FontTable, ColorTable, Pn };

struct GroupState
{
    CharState ch;
    ParaState para;
    Dest dest = Dest::Text;
    int uc = 1;
    qsizetype open = -1; // where the group's "{" stands in the input
};

// Sink concept:
//   static constexpr bool Formatting;   // false: tables and formatting words are skipped
//   void text(QStringView run, const CharState&);
//   void paragraphEnd(const ParaState&, const CharState&);
//   void paragraphStart(const CharState&);
//   void object(QStringView mark, QStringView rtfGroup, const CharState&); // group may be empty
//   void font(int number, const QString& name);      // Formatting only
//   void color(const QColor& color);                 // Formatting only, invalid = automatic
//   void setDefaultFont(int number);                 // Formatting only
template<typename Sink>
class RtfInterpreter
{
public:
    static constexpr int MaxDepth = 256;
    static constexpr int MaxTwips = 31680; // 22 inches, the widest page RTF knows
    static constexpr int MaxFontNameLength = 256;

    RtfInterpreter(QStringView input, Sink& sink) : m_tokens(input), m_sink(sink) {}

    void run()
    {
        m_stack.append(GroupState{});
        bool ignorable = false;
        for (;;) {
            // A sink that has all it wants (a text cut to a length) ends the run early.
            if constexpr (requires(Sink& s) { s.satt(); }) {
                if (m_sink.satt())
                    return;
            }
            m_tokenStart = m_tokens.position();
            const RtfToken t = m_tokens.next();
            const bool starred = ignorable;
            ignorable = false;
            switch (t.type) {
            case RtfToken::Type::End:
                finish();
                return;
            case RtfToken::Type::GroupOpen:
                m_skip = 0;
                if (m_stack.size() >= MaxDepth) {
                    ++m_overflow; // too deep: the group shares its parent's state
                } else {
                    m_stack.append(m_stack.last());
                    m_stack.last().open = m_tokens.position() - 1;
                }
                break;
            case RtfToken::Type::GroupClose:
                m_skip = 0;
                if (m_overflow > 0) {
                    --m_overflow;
                    break;
                }
                if (m_stack.size() <= 2) {
                    // A brace that closes the field while text still follows (a damaged
                    // field): the rest is shown rather than dropped.
                    if (m_tokens.contentFollows())
                        break;
                    finish(); // the outermost group ends: so does the document
                    return;
                }
                closeGroup();
                break;
            case RtfToken::Type::Text:
                text(t.text);
                break;
            case RtfToken::Type::HexByte:
                if (m_skip > 0) {
                    --m_skip;
                    break;
                }
                character(cp1252ToUnicode(t.byte));
                break;
            case RtfToken::Type::Symbol:
                if (m_skip > 0) {
                    --m_skip;
                    break;
                }
                if (t.symbol == u'*')
                    ignorable = true;
                else
                    symbol(t.symbol);
                break;
            case RtfToken::Type::Word:
                word(t, starred);
                break;
            }
        }
    }

private:
    GroupState& state() { return m_stack.last(); }

    void closeGroup()
    {
        if (m_stack.size() <= 1)
            return;
        if (m_captureDepth == int(m_stack.size())) {
            m_captureDepth = 0;
            const QStringView group = m_tokens.source(m_captureStart, m_tokens.position());
            m_stack.removeLast();
            object(m_captureMark, group);
            return;
        }
        const GroupState closed = m_stack.last();
        if constexpr (Sink::Formatting) {
            if (closed.dest == Dest::FontTable)
                commitFont();
        }
        m_stack.removeLast();
        // The bullet settings of {\*\pn ...} belong to the paragraph around the group.
        if (closed.dest == Dest::Pn && state().dest != Dest::Pn)
            state().para.list = closed.para.list;
    }

    void text(QStringView run)
    {
        if (m_skip > 0) {
            const qsizetype skipped = qMin<qsizetype>(m_skip, run.size());
            m_skip -= int(skipped);
            run = run.mid(skipped);
            if (run.isEmpty())
                return;
        }
        switch (state().dest) {
        case Dest::Text:
            visible(run);
            break;
        case Dest::FontTable:
            if constexpr (Sink::Formatting) {
                for (const QChar c : run) {
                    if (c == u';')
                        commitFont();
                    else if (m_fontName.size() < MaxFontNameLength)
                        m_fontName.append(c);
                }
            }
            break;
        case Dest::ColorTable:
            if constexpr (Sink::Formatting) {
                for (const QChar c : run) {
                    if (c == u';')
                        commitColor();
                }
            }
            break;
        case Dest::Skip:
        case Dest::Pn:
            break;
        }
    }

    void visible(QStringView run)
    {
        qsizetype from = 0;
        for (qsizetype i = 0; i < run.size(); ++i) {
            if (isDroppedChar(run[i].unicode())) {
                if (i > from)
                    emitText(run.mid(from, i - from));
                from = i + 1;
            }
        }
        if (from < run.size())
            emitText(run.mid(from));
    }

    void character(char16_t c)
    {
        const QChar ch(c);
        text(QStringView(&ch, 1));
    }

    // Whether the current word is the first thing in its group ("{\pict", "{\*\shppict"): only
    // then does the group hold nothing but the picture or object, and can be kept whole.
    bool opensItsGroup() const
    {
        QStringView before = m_tokens.source(m_stack.last().open, m_tokenStart).trimmed();
        return before == u"{" || before == u"{\\*";
    }

    void object(QStringView mark, QStringView group)
    {
        if (m_pendingParagraph) {
            m_pendingParagraph = false;
            m_sink.paragraphStart(state().ch);
        }
        m_sink.object(mark, group, state().ch);
    }

    void emitText(QStringView run)
    {
        if (m_pendingParagraph) {
            m_pendingParagraph = false;
            m_sink.paragraphStart(state().ch);
        }
        m_sink.text(run, state().ch);
    }

    void paragraph()
    {
        if (state().dest != Dest::Text)
            return;
        if (m_pendingParagraph)
            m_sink.paragraphStart(state().ch); // an empty paragraph between two marks
        m_sink.paragraphEnd(state().para, state().ch);
        m_pendingParagraph = true;
    }

    void finish()
    {
        if (m_captureDepth != 0) {
            m_captureDepth = 0; // a group the field never closed: only the mark
            object(m_captureMark, {});
        }
        if constexpr (Sink::Formatting) {
            if (state().dest == Dest::FontTable)
                commitFont();
        }
        if (!m_pendingParagraph)
            m_sink.paragraphEnd(state().para, state().ch);
        m_pendingParagraph = false;
    }

    void symbol(char16_t s)
    {
        switch (s) {
        case u'\\':
        case u'{':
        case u'}':
            character(s);
            break;
        case u'~':
            character(0x00A0);
            break;
        case u'_':
            character(0x2011);
            break;
        default:
            break; // \- optional hyphen, \| \: index marks and anything unknown
        }
    }

    static int clampTwips(int v) { return qBound(-MaxTwips, v, MaxTwips); }

    void word(const RtfToken& t, bool starred)
    {
        if (m_skip > 0) {
            // A control word stands for one character of the text that follows \u.
            --m_skip;
            return;
        }
        const Kw kw = keyword(t.word);
        GroupState& s = state();
        if (kw == Kw::Bin) {
            if (t.hasParam && t.param > 0)
                m_tokens.skipRaw(t.param);
            return;
        }
        if (kw == Kw::U) {
            // Wherever it stands (a font name too), \u is one character and its fallback.
            int code = t.param;
            if (code < 0)
                code += 65536;
            if (code > 0 && code <= 0xFFFF && !starred)
                character(char16_t(code));
            m_skip = s.uc;
            return;
        }
        if (kw == Kw::Pict || kw == Kw::Object) {
            // What the box cannot show is marked, so the reader sees that something is there
            // (a picture's alternative for older readers, \nonshppict, stays unmarked); the
            // mark keeps the whole group, handed over when the group closes.
            if (s.dest == Dest::Text) {
                const QStringView mark = kw == Kw::Pict ? QStringView(u"[Bild]") : QStringView(u"[Objekt]");
                if (m_captureDepth == 0 && m_stack.size() > 2 && s.open >= 0 && opensItsGroup()) {
                    m_captureDepth = int(m_stack.size());
                    m_captureStart = s.open;
                    m_captureMark = mark;
                } else {
                    object(mark, {});
                }
            }
            state().dest = Dest::Skip;
            return;
        }
        if (starred && kw != Kw::Pn && kw != Kw::FontTbl && kw != Kw::ColorTbl) {
            s.dest = Dest::Skip; // an ignorable destination we do not know
            return;
        }
        if (s.dest == Dest::Skip)
            return;
        if (s.dest == Dest::FontTable) {
            if constexpr (Sink::Formatting) {
                if (kw == Kw::F) {
                    commitFont();
                    m_fontNumber = t.hasParam ? t.param : 0;
                }
            }
            return;
        }
        if (s.dest == Dest::ColorTable) {
            if constexpr (Sink::Formatting) {
                const int v = qBound(0, t.param, 255);
                if (kw == Kw::Red) {
                    m_red = v;
                    m_colorDefined = true;
                } else if (kw == Kw::Green) {
                    m_green = v;
                    m_colorDefined = true;
                } else if (kw == Kw::Blue) {
                    m_blue = v;
                    m_colorDefined = true;
                }
            }
            return;
        }
        if (s.dest == Dest::Pn) {
            switch (kw) {
            case Kw::PnLvlBlt: s.para.list = ListKind::Bullet; break;
            case Kw::PnLvlBody: s.para.list = ListKind::Decimal; break;
            case Kw::PnDec: s.para.list = ListKind::Decimal; break;
            case Kw::PnLcLtr: s.para.list = ListKind::LowerAlpha; break;
            case Kw::PnUcLtr: s.para.list = ListKind::UpperAlpha; break;
            case Kw::PnLcRm: s.para.list = ListKind::LowerRoman; break;
            case Kw::PnUcRm: s.para.list = ListKind::UpperRoman; break;
            default: break;
            }
            return;
        }

        const bool on = !t.hasParam || t.param != 0;
        switch (kw) {
        case Kw::FontTbl:
            s.dest = Sink::Formatting ? Dest::FontTable : Dest::Skip;
            m_fontName.clear();
            m_fontNumber = -1;
            break;
        case Kw::ColorTbl:
            s.dest = Sink::Formatting ? Dest::ColorTable : Dest::Skip;
            m_colorDefined = false;
            m_red = m_green = m_blue = 0;
            break;
        case Kw::Pn:
            s.dest = Dest::Pn;
            break;
        case Kw::PnText:
        case Kw::SkipDest:
            s.dest = Dest::Skip;
            break;

        case Kw::Deff:
            if constexpr (Sink::Formatting)
                m_sink.setDefaultFont(t.param);
            break;
        case Kw::Uc:
            s.uc = t.hasParam ? qBound(0, t.param, 16) : 1;
            break;
        case Kw::Par:
        case Kw::Row:
            paragraph();
            break;
        case Kw::Line: character(0x2028); break;
        case Kw::Tab:
        case Kw::Cell: character(u'\t'); break;
        case Kw::EmDash: character(0x2014); break;
        case Kw::EnDash: character(0x2013); break;
        case Kw::Bullet: character(0x2022); break;
        case Kw::LQuote: character(0x2018); break;
        case Kw::RQuote: character(0x2019); break;
        case Kw::LDblQuote: character(0x201C); break;
        case Kw::RDblQuote: character(0x201D); break;
        case Kw::EmSpace: character(0x2003); break;
        case Kw::EnSpace: character(0x2002); break;
        case Kw::Plain: s.ch = CharState{}; break;
        case Kw::F: s.ch.font = t.hasParam ? qMax(0, t.param) : 0; break;
        case Kw::Fs: s.ch.halfPoints = (t.hasParam && t.param > 0) ? qMin(t.param, 3276) : 24; break;
        case Kw::B: s.ch.bold = on; break;
        case Kw::I: s.ch.italic = on; break;
        case Kw::Ul: s.ch.underline = on; break;
        case Kw::UlNone: s.ch.underline = false; break;
        case Kw::Strike: s.ch.strike = on; break;
        case Kw::Super: s.ch.vertical = on ? 1 : 0; break;
        case Kw::Sub: s.ch.vertical = on ? 2 : 0; break;
        case Kw::NoSuperSub: s.ch.vertical = 0; break;
        case Kw::Up: s.ch.offset = t.hasParam ? qBound(0, t.param, 3276) : 6; break;
        case Kw::Dn: s.ch.offset = -(t.hasParam ? qBound(0, t.param, 3276) : 6); break;
        case Kw::Cf: s.ch.color = qMax(0, t.param); break;
        case Kw::Highlight:
        case Kw::Cb: s.ch.highlight = qMax(0, t.param); break;
        case Kw::Pard: s.para = ParaState{}; break;
        case Kw::Ql: s.para.align = 0; break;
        case Kw::Qc: s.para.align = 1; break;
        case Kw::Qr: s.para.align = 2; break;
        case Kw::Qj: s.para.align = 3; break;
        case Kw::Li: s.para.left = clampTwips(t.param); break;
        case Kw::Ri: s.para.right = clampTwips(t.param); break;
        case Kw::Fi: s.para.firstLine = clampTwips(t.param); break;
        default:
            break; // unknown and unused words are skipped
        }
    }

    void commitFont()
    {
        if constexpr (Sink::Formatting) {
            QString name;
            for (const QChar c : m_fontName) {
                if (c != u'\t' && !isDroppedChar(c.unicode()))
                    name.append(c);
            }
            name = name.trimmed();
            if (m_fontNumber >= 0 && !name.isEmpty())
                m_sink.font(m_fontNumber, name);
            m_fontName.clear();
        }
    }

    void commitColor()
    {
        if constexpr (Sink::Formatting) {
            m_sink.color(m_colorDefined ? QColor(m_red, m_green, m_blue) : QColor());
            m_colorDefined = false;
            m_red = m_green = m_blue = 0;
        }
    }

    RtfTokenizer m_tokens;
    Sink& m_sink;
    QVarLengthArray<GroupState, 32> m_stack;
    int m_overflow = 0;
    int m_skip = 0; // characters still to skip after \u
    qsizetype m_tokenStart = 0;
    int m_captureDepth = 0; // stack size of the picture or object group being kept, 0: none
    qsizetype m_captureStart = 0;
    QStringView m_captureMark;
    bool m_pendingParagraph = false;
    QString m_fontName;
    int m_fontNumber = -1;
    bool m_colorDefined = false;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
};

} // namespace klang::richtext::detail
