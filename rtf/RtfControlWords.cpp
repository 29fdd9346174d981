// The control words the reader understands, each with what it does. A word not listed here is read
// past; a starred group whose word is not listed is skipped whole.
#include "RtfReader.h"

#include <QFont>

namespace varnook {

namespace {

constexpr int MaxTabStops = 64;

} // namespace

const RtfReader::WordTable &RtfReader::wordTable() {
    static const WordTable table = [] {
        using R = RtfReader;
        using Underline = RtfCharState::Underline;
        using Vertical = RtfCharState::Vertical;
        using Caps = RtfCharState::Caps;
        using Align = RtfParaState::Align;
        WordTable t;
        const auto add = [&t](std::string_view name, WordHandler handle, int value = 0) {
            t[name] = {handle, value};
        };
        const auto addStarred = [&t](std::string_view name, WordHandler handle, int value = 0) {
            t[name] = {handle, value, true};
        };

        // The document
        const WordHandler documentCodePage = [](R &r, const Word &w) {
            r.m_formatter.setDocumentCodePage(w.value);
        };
        add("ansi", documentCodePage, 1252);
        add("mac", documentCodePage, 10000);
        add("pc", documentCodePage, 437);
        add("pca", documentCodePage, 850);
        add("ansicpg", [](R &r, const Word &w) {
            if (w.number() > 0)
                r.m_formatter.setDocumentCodePage(w.number());
        });
        add("deff", [](R &r, const Word &w) { r.m_formatter.setDefaultFont(w.number()); });
        add("deftab", [](R &r, const Word &w) {
            if (w.number() > 0)
                r.m_defaultTab = boundedTwips(w.number());
        });
        add("uc", [](R &r, const Word &w) { r.group().unicodeSkip = qMax(0, w.number()); });
        add("u", [](R &r, const Word &w) {
            if (w.hasParameter)
                r.appendUnicode(w.parameter);
            r.m_skipFallback = r.group().unicodeSkip;
        });
        add("upr", [](R &r, const Word &) {
            if (r.shown())
                r.group().destination = Destination::Alternative;
        });
        add("ud", [](R &r, const Word &) {
            if (r.group().destination == Destination::Alternative)
                r.group().destination = Destination::Text;
        });

        // Destinations
        add("fonttbl", [](R &r, const Word &) {
            if (r.group().destination != Destination::Skip)
                r.group().destination = Destination::FontTable;
        });
        add("colortbl", [](R &r, const Word &) {
            if (r.group().destination == Destination::Skip)
                return;
            r.group().destination = Destination::ColorTable;
            r.m_red = r.m_green = r.m_blue = 0;
            r.m_colorGiven = false;
        });
        // Destinations that hold nothing to show, skipped whole even where no \* marks them.
        for (const char *name : {"stylesheet",
                                 "info",
                                 "objdata",
                                 "header",
                                 "headerl",
                                 "headerr",
                                 "headerf",
                                 "footer",
                                 "footerl",
                                 "footerr",
                                 "footerf",
                                 "footnote",
                                 "annotation",
                                 "listtable",
                                 "listoverridetable",

                                 "revtbl",
                                 "rsidtbl",
                                 "filetbl",
                                 "xe",
                                 "tc",
                                 "txe",
                                 "rxe",
                                 "template",
                                 "ftnsep",
                                 "ftnsepc",
                                 "ftncn",
                                 "aftnsep",
                                 "aftnsepc",
                                 "aftncn",
                                 "nonshppict",
                                 "bkmkstart",
                                 "bkmkend",
                                 "atnid",
                                 "atnauthor",
                                 "atndate",
                                 "atntime",
                                 "atnref",
                                 "atnicn",
                                 "atrfstart",
                                 "atrfend",
                                 "objclass",
                                 "objname",
                                 "objalias",
                                 "objsect",
                                 "objtime",
                                 "datafield",
                                 "docvar",
                                 "userprops",
                                 "generator",
                                 "background",
                                 "xmlnstbl",
                                 "themedata",
                                 "colorschememapping",
                                 "datastore",
                                 "latentstyles",
                                 "pgdsctbl",
                                 "listpicture",
                                 "private",
                                 "do",
                                 "author",
                                 "operator",
                                 "title",
                                 "subject",
                                 "keywords",
                                 "comment",
                                 "doccomm",
                                 "company",
                                 "manager",
                                 "category",
                                 "hlinkbase",
                                 "creatim",
                                 "revtim",
                                 "printim",
                                 "buptim",
                                 "fldtype"})
            add(name, [](R &r, const Word &) { r.group().destination = Destination::Skip; });
        // Writers may give a paragraph's bullet twice (old and new style); it is shown once.
        const WordHandler listText = [](R &r, const Word &) {
            if (!r.shown())
                return;
            r.group().destination = r.m_paragraphHasListText ? Destination::Skip : Destination::ListText;
            r.m_paragraphHasListText = true;
        };
        add("pntext", listText);
        add("listtext", listText);
        add("result", [](R &, const Word &) {}); // an object's result: shown as it comes

        // Pictures: in the text, in a shape's properties, or in Word's own group (\shppict) whose
        // \nonshppict stand-in is skipped.
        add("pict", [](R &r, const Word &) { r.startPicture(); });
        using Kind = RtfPicture::Kind;
        const WordHandler pictureKind = [](R &r, const Word &w) {
            if (r.group().destination == Destination::Picture)
                r.m_picture->kind = Kind(w.value);
        };
        add("pngblip", pictureKind, int(Kind::Png));
        add("jpegblip", pictureKind, int(Kind::Jpeg));
        add("dibitmap", pictureKind, int(Kind::DeviceIndependentBitmap));
        add("wbitmap", pictureKind, int(Kind::Bitmap));
        add("wmetafile", pictureKind, int(Kind::WindowsMetafile));
        add("emfblip", pictureKind, int(Kind::EnhancedMetafile));
        add("macpict", pictureKind, int(Kind::MacPicture));
        add("pmmetafile", pictureKind, int(Kind::Os2Metafile));
        static constexpr int RtfPicture::*pictureNumbers[] = {&RtfPicture::width,     &RtfPicture::height,
                                                              &RtfPicture::widthGoal, &RtfPicture::heightGoal,
                                                              &RtfPicture::scaleX,    &RtfPicture::scaleY};
        const WordHandler pictureNumber = [](R &r, const Word &w) {
            if (r.group().destination == Destination::Picture)
                r.m_picture.get()->*pictureNumbers[w.value] = w.number();
        };
        int number = 0;
        for (const char *name : {"picw", "pich", "picwgoal", "pichgoal", "picscalex", "picscaley"})
            add(name, pictureNumber, number++);
        for (const char *name : {"shp", "shppict"})
            addStarred(name, [](R &, const Word &) {});
        addStarred("shpinst", [](R &r, const Word &) {
            r.group().destination = r.shown() ? Destination::ShapeInstructions : Destination::Skip;
        });
        add("shprslt", [](R &r, const Word &) { r.group().destination = Destination::Skip; });

        // Fields: the result is shown, a hyperlink's as a link to its target.
        add("field", [](R &r, const Word &) { r.startField(); });
        addStarred("fldinst", [](R &r, const Word &) {
            r.group().destination = r.shown() ? Destination::FieldInstruction : Destination::Skip;
        });
        addStarred("fldrslt", [](R &r, const Word &) { r.startFieldResult(); });

        // Paragraph numbering given in the paragraph itself (\pn), as older writers do it
        addStarred("pn", [](R &r, const Word &) {
            if (!r.shown()) {
                r.group().destination = Destination::Skip;
                return;
            }
            r.group().destination = Destination::ListNumbering;
            r.m_listNumbering = ListNumbering{};
        });
        using Style = ListNumbering::Style;
        const WordHandler numberStyle = [](R &r, const Word &w) {
            if (r.group().destination == Destination::ListNumbering)
                r.m_listNumbering.style = Style(w.value);
        };
        for (const char *name : {"pndec", "pnord", "pnordt", "pncard"})
            add(name, numberStyle, int(Style::Decimal));
        // A numbered level without a style of its own counts in decimal.
        for (const char *name : {"pnlvlbody", "pnlvl"})
            add(name, [](R &r, const Word &) {
                if (r.group().destination == Destination::ListNumbering && r.m_listNumbering.style == Style::None)
                    r.m_listNumbering.style = Style::Decimal;
            });
        add("pnlvlblt", numberStyle, int(Style::Bullet));
        add("pnucltr", numberStyle, int(Style::UpperLetter));
        add("pnlcltr", numberStyle, int(Style::LowerLetter));
        add("pnucrm", numberStyle, int(Style::UpperRoman));
        add("pnlcrm", numberStyle, int(Style::LowerRoman));
        add("pnlvlcont", [](R &r, const Word &) {
            if (r.group().destination == Destination::ListNumbering)
                r.m_listNumbering.continuation = true;
        });
        add("pnstart", [](R &r, const Word &w) {
            if (r.group().destination == Destination::ListNumbering)
                r.m_listNumbering.start = qMax(0, w.number());
        });
        add("pnf", [](R &r, const Word &w) {
            if (r.group().destination == Destination::ListNumbering)
                r.group().chars.font = w.number(); // the bullet in \pntxtb is written in this font
        });
        const WordHandler numberText = [](R &r, const Word &w) {
            if (r.group().destination != Destination::ListNumbering) {
                r.group().destination = Destination::Skip;
                return;
            }
            r.group().destination = Destination(w.value);
            (w.value == int(Destination::NumberBefore) ? r.m_listNumbering.before : r.m_listNumbering.after).clear();
        };
        add("pntxtb", numberText, int(Destination::NumberBefore));
        add("pntxta", numberText, int(Destination::NumberAfter));

        // The font table
        add("f", [](R &r, const Word &w) {
            if (r.group().destination != Destination::FontTable) {
                r.group().chars.font = w.number();
                return;
            }
            r.finishFontEntry();
            r.m_fontEntryOpen = true;
            r.m_fontEntry = w.number();
            r.m_entryFont = RtfFont{};
            r.m_fontName.clear();
        });
        const WordHandler fontFamily = [](R &r, const Word &w) {
            if (r.group().destination == Destination::FontTable)
                r.m_entryFont.styleHint = w.value;
        };
        add("fnil", fontFamily, QFont::AnyStyle);
        add("froman", fontFamily, QFont::Serif);
        add("fswiss", fontFamily, QFont::SansSerif);
        add("fmodern", fontFamily, QFont::TypeWriter);
        add("fscript", fontFamily, QFont::Cursive);
        add("fdecor", fontFamily, QFont::Decorative);
        add("ftech", fontFamily, QFont::AnyStyle);
        add("fbidi", fontFamily, QFont::AnyStyle);
        add("fcharset", [](R &r, const Word &w) {
            if (r.group().destination == Destination::FontTable)
                r.m_entryFont.charset = w.number();
        });
        add("cpg", [](R &r, const Word &w) {
            if (r.group().destination == Destination::FontTable)
                r.m_entryFont.codePage = w.number();
        });

        // The colour table
        add("red", [](R &r, const Word &w) { r.setColorPart(r.m_red, w.number()); });
        add("green", [](R &r, const Word &w) { r.setColorPart(r.m_green, w.number()); });
        add("blue", [](R &r, const Word &w) { r.setColorPart(r.m_blue, w.number()); });

        // Characters
        add("plain", [](R &r, const Word &) {
            const int link = r.group().chars.link; // a link's text stays a link
            r.group().chars = RtfCharState{};
            r.group().chars.link = link;
        });
        add("b", [](R &r, const Word &w) { r.group().chars.bold = w.on(); });
        add("i", [](R &r, const Word &w) { r.group().chars.italic = w.on(); });
        const WordHandler underline = [](R &r, const Word &w) {
            r.group().chars.underline = w.on() ? Underline(w.value) : Underline::None;
        };
        for (const char *name : {"ul", "uldb", "ulth", "ulw"})
            add(name, underline, int(Underline::Single));
        for (const char *name : {"uld", "ulthd"})
            add(name, underline, int(Underline::Dotted));
        for (const char *name : {"uldash", "ulldash", "ulthdash", "ulthldash"})
            add(name, underline, int(Underline::Dashed));
        for (const char *name : {"uldashd", "ulthdashd"})
            add(name, underline, int(Underline::DashDot));
        for (const char *name : {"uldashdd", "ulthdashdd"})
            add(name, underline, int(Underline::DashDotDot));
        for (const char *name : {"ulwave", "ulhwave", "ululdbwave"})
            add(name, underline, int(Underline::Wave));
        add("ulnone", [](R &r, const Word &) { r.group().chars.underline = Underline::None; });
        add("strike", [](R &r, const Word &w) { r.group().chars.strike = w.on(); });
        add("striked", [](R &r, const Word &w) { r.group().chars.strike = w.on(); });
        const WordHandler vertical = [](R &r, const Word &w) {
            r.group().chars.vertical = w.on() ? Vertical(w.value) : Vertical::Normal;
        };
        add("sub", vertical, int(Vertical::Sub));
        add("dn", vertical, int(Vertical::Sub));
        add("super", vertical, int(Vertical::Super));
        add("up", vertical, int(Vertical::Super));
        add("nosupersub", [](R &r, const Word &) { r.group().chars.vertical = Vertical::Normal; });
        add("fs", [](R &r, const Word &w) { r.group().chars.halfPoints = w.number() > 0 ? w.number() : 24; });
        add("cf", [](R &r, const Word &w) { r.group().chars.foreground = w.number(); });
        for (const char *name : {"cb", "highlight", "chcbpat"})
            add(name, [](R &r, const Word &w) { r.group().chars.background = w.number(); });
        add("v", [](R &r, const Word &w) { r.group().chars.hidden = w.on(); });
        const WordHandler caps = [](R &r, const Word &w) {
            r.group().chars.caps = w.on() ? Caps(w.value) : Caps::Normal;
        };
        add("caps", caps, int(Caps::All));
        add("scaps", caps, int(Caps::Small));

        // Paragraphs
        add("pard", [](R &r, const Word &) {
            r.flushRun();
            r.group().para = RtfParaState{};
            r.m_rowDefinitionOpen = false;
            r.m_border = nullptr;
            r.m_listNumbering = ListNumbering{};
        });
        const WordHandler align = [](R &r, const Word &w) {
            r.group().para.align = Align(w.value);
        };
        add("ql", align, int(Align::Left));
        add("qc", align, int(Align::Center));
        add("qr", align, int(Align::Right));
        add("qj", align, int(Align::Justify));
        add("qd", align, int(Align::Justify));
        for (const char *name : {"li", "lin"})
            add(name, [](R &r, const Word &w) { r.group().para.leftIndent = boundedTwips(w.number()); });
        for (const char *name : {"ri", "rin"})
            add(name, [](R &r, const Word &w) { r.group().para.rightIndent = boundedTwips(w.number()); });
        add("fi", [](R &r, const Word &w) { r.group().para.firstIndent = boundedTwips(w.number()); });
        add("sb", [](R &r, const Word &w) { r.group().para.spaceBefore = boundedTwips(w.number()); });
        add("sa", [](R &r, const Word &w) { r.group().para.spaceAfter = boundedTwips(w.number()); });
        add("sl", [](R &r, const Word &w) { r.group().para.lineSpacing = boundedTwips(w.number()); });
        add("slmult", [](R &r, const Word &w) { r.group().para.lineMultiple = w.number() != 0; });
        // \tx sets a stop of the kind a \tqr, \tqc or \tqdec before it named; \tb a bar, kept as a plain stop.
        const WordHandler tabStop = [](R &r, const Word &w) {
            RtfParaState &para = r.group().para;
            if (para.tabs.size() < MaxTabStops) {
                QTextOption::Tab tab(boundedTwips(w.number()), w.value ? QTextOption::LeftTab : para.nextTabType);
                if (tab.type == QTextOption::DelimiterTab)
                    tab.delimiter = QLatin1Char('.');
                para.tabs.append(tab);
            }
            para.nextTabType = QTextOption::LeftTab;
        };
        add("tx", tabStop, 0);
        add("tb", tabStop, 1);
        const WordHandler tabType = [](R &r, const Word &w) {
            r.group().para.nextTabType = QTextOption::TabType(w.value);
        };
        add("tqr", tabType, QTextOption::RightTab);
        add("tqc", tabType, QTextOption::CenterTab);
        add("tqdec", tabType, QTextOption::DelimiterTab);
        add("intbl", [](R &r, const Word &w) {
            r.flushRun();
            r.group().para.inTable = w.on();
        });
        add("itap", [](R &r, const Word &w) {
            r.flushRun();
            r.group().para.inTable = w.number() > 0;
        });
        add("rtlpar", [](R &r, const Word &) { r.group().para.rightToLeft = true; });
        add("ltrpar", [](R &r, const Word &) { r.group().para.rightToLeft = false; });

        // Structure
        for (const char *name : {"par", "nestrow"})
            add(name, [](R &r, const Word &) {
                if (r.shown())
                    r.endParagraph();
            });
        // A break between sections or pages ends the paragraph it interrupts; it adds no empty one.
        for (const char *name : {"sect", "page"})
            add(name, [](R &r, const Word &) {
                if (r.shown() && r.paragraphHasContent())
                    r.endParagraph();
            });
        add("line", [](R &r, const Word &) { r.appendText(QString(QChar::LineSeparator)); });
        for (const char *name : {"tab", "nestcell"})
            add(name, [](R &r, const Word &) { r.appendText(QStringLiteral("\t")); });
        add("cell", [](R &r, const Word &) {
            if (r.shown())
                r.endCell();
        });
        add("row", [](R &r, const Word &) {
            if (r.shown())
                r.endRow();
        });
        add("trowd", [](R &r, const Word &) {
            if (!r.shown())
                return; // a nested table's row, say, in a group that is skipped
            r.flushRun();
            r.m_cellEdges.clear();
            r.m_cellBorders.clear();
            r.m_rowBorders = {};
            r.m_nextCellBorders = {};
            r.m_border = nullptr;
            r.m_rowDefinitionOpen = true;
        });
        add("cellx", [](R &r, const Word &w) {
            if (r.shown() && r.m_cellEdges.size() < RtfDocumentBuilder::MaxColumns) {
                r.m_cellEdges.append(boundedTwips(w.number()));
                r.m_cellBorders.append(std::exchange(r.m_nextCellBorders, {}));
            }
            r.m_border = nullptr;
        });

        // Table borders: a side (\clbrdrt, \trbrdrb…), then what its line is like.
        const WordHandler cellBorder = [](R &r, const Word &w) {
            if (!r.shown())
                return;
            r.m_nextCellBorders[w.value] = RtfBorder{};
            r.m_border = &*r.m_nextCellBorders[w.value];
        };
        add("clbrdrt", cellBorder, 0);
        add("clbrdrl", cellBorder, 1);
        add("clbrdrb", cellBorder, 2);
        add("clbrdrr", cellBorder, 3);
        const WordHandler rowBorder = [](R &r, const Word &w) {
            if (!r.shown())
                return;
            r.m_rowBorders[w.value] = RtfBorder{};
            r.m_border = &*r.m_rowBorders[w.value];
        };
        add("trbrdrt", rowBorder, 0);
        add("trbrdrl", rowBorder, 1);
        add("trbrdrb", rowBorder, 2);
        add("trbrdrr", rowBorder, 3);
        add("trbrdrh", rowBorder, 4);
        add("trbrdrv", rowBorder, 5);
        // Paragraph borders are not drawn: what follows them describes no cell.
        for (const char *name : {"brdrt", "brdrl", "brdrb", "brdrr", "brdrbtw", "brdrbar", "box"})
            add(name, [](R &r, const Word &) { r.m_border = nullptr; });
        using BorderStyle = RtfBorder::Style;
        const WordHandler borderStyle = [](R &r, const Word &w) {
            if (r.m_border && r.shown())
                r.m_border->style = BorderStyle(w.value);
        };
        for (const char *name : {"brdrnone", "brdrnil", "brdrtbl"})
            add(name, borderStyle, int(BorderStyle::None));
        for (const char *name : {"brdrs", "brdrth", "brdrsh", "brdrhair", "brdrtriple", "brdrwavy", "brdrengrave",
                                 "brdremboss", "brdroutset", "brdrinset", "brdrframe"})
            add(name, borderStyle, int(BorderStyle::Solid));
        for (const char *name : {"brdrdb", "brdrwavydb"})
            add(name, borderStyle, int(BorderStyle::Double));
        add("brdrdot", borderStyle, int(BorderStyle::Dotted));
        for (const char *name : {"brdrdash", "brdrdashsm", "brdrdashd", "brdrdashdd", "brdrdashdotstr"})
            add(name, borderStyle, int(BorderStyle::Dashed));
        add("brdrw", [](R &r, const Word &w) {
            if (r.m_border && r.shown())
                r.m_border->width = qMax(0, w.number());
        });
        add("brdrcf", [](R &r, const Word &w) {
            if (r.m_border && r.shown())
                r.m_border->color = w.number();
        });

        // Characters by name
        const WordHandler character = [](R &r, const Word &w) {
            r.appendText(QString(QChar(char16_t(w.value))));
        };
        add("emdash", character, 0x2014);
        add("endash", character, 0x2013);
        add("lquote", character, 0x2018);
        add("rquote", character, 0x2019);
        add("ldblquote", character, 0x201C);
        add("rdblquote", character, 0x201D);
        add("bullet", character, 0x2022);
        add("emspace", character, 0x2003);
        add("enspace", character, 0x2002);
        add("qmspace", character, 0x2005);
        add("zwj", character, 0x200D);
        add("zwnj", character, 0x200C);
        add("zwbo", character, 0x200B);
        add("ltrmark", character, 0x200E);
        add("rtlmark", character, 0x200F);
        return t;
    }();
    return table;
}

} // namespace varnook
