#include "app/DecodeTableView.h"

#include "app/Twips.h"
#include "views/CellBackground.h"
#include "views/ControlName.h"
#include "views/StaticTextLabel.h"

#include <QFont>
#include <QLabel>

namespace {

constexpr int kNameLeft = 480;
constexpr int kTypeLeft = 1920;
constexpr int kCellLeft = 2760;
constexpr int kCellPitch = 360;
constexpr int kCellWidth = 375;
constexpr int kCellHeight = 255;
constexpr int kExplanationLeft = 4680;
constexpr int kExplanationWidth = 3735;
// A value cell is 375 twips wide: a token longer than this can never be read there, and a huge one
// from an edited file would only cost layout time.
constexpr std::size_t kMaxCellText = 32;

enum class Kind { Text, Cell, Explanation };

QLabel* MakeLabel(QWidget* parent, const QString& name, Kind kind, int left, int top) {
    auto* label = new StaticTextLabel(parent);
    label->setObjectName(name);
    switch (kind) {
    case Kind::Text:
        label->move(Twips(left), Twips(top));
        break;
    case Kind::Cell:
        label->setGeometry(TwipsRect(left, top, kCellWidth, kCellHeight));
        label->setFrameShape(QFrame::Box);
        label->setAlignment(Qt::AlignCenter);
        break;
    case Kind::Explanation:
        label->setGeometry(TwipsRect(left, top, kExplanationWidth, kCellHeight));
        label->setFrameShape(QFrame::Box);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        break;
    }
    return label;
}

QString CellText(const std::string& caption) {
    if (caption.size() <= kMaxCellText)
        return QString::fromStdString(caption);
    return QString::fromStdString(caption.substr(0, kMaxCellText)) + QChar(0x2026);
}

void Apply(QLabel* widget, const Label& now, const Label* before, Kind kind) {
    if (!before || before->caption != now.caption) {
        widget->setText(kind == Kind::Cell ? CellText(now.caption) : QString::fromStdString(now.caption));
        if (kind == Kind::Text)
            widget->adjustSize();
    }
    // A move by the difference keeps wherever the window's arrangement has put the table.
    if (!before)
        widget->move(widget->x(), Twips(now.top));
    else if (before->top != now.top)
        widget->move(widget->x(), widget->y() + Twips(now.top) - Twips(before->top));
    if (kind == Kind::Cell && (!before || before->red != now.red))
        SetCellBackground(widget, now.red);
    if (kind == Kind::Cell && (!before || before->note != now.note)) {
        const QString note = QString::fromStdString(now.note);
        widget->setToolTip(note); // the window adds it to the cell's accessible description
    }
    if (!before || before->visible != now.visible)
        widget->setVisible(now.visible);
}

} // namespace

DecodeTableView::DecodeTableView(QWidget* frame) {
    const DecodeTable design;
    QFont titleFont(QStringLiteral("Arial"), 9, QFont::Bold);
    auto* label6 = MakeLabel(frame, QStringLiteral("Label6"), Kind::Text, 360, 2040);
    label6->setText(QStringLiteral("Communication header"));
    auto* label7 = MakeLabel(frame, QStringLiteral("Label7"), Kind::Text, 360, 3120);
    label7->setText(QStringLiteral("Communication data"));
    for (QLabel* title : {label6, label7}) {
        title->setFont(titleFont);
        title->adjustSize();
    }
    for (int row = 1; row <= kHeaderRows; ++row) {
        auto* name = MakeLabel(frame, QStringLiteral("Label%1").arg(7 + row), Kind::Text, kNameLeft,
                               HeaderNameTop(row));
        const std::string_view text = MessageFormat::kHeaderRowNames[static_cast<std::size_t>(row - 1)];
        name->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        name->adjustSize();
        lblDataTypeH[row - 1] =
            MakeLabel(frame, ControlName("lblDataTypeH", row - 1), Kind::Text, kTypeLeft, HeaderNameTop(row));
        lblHeaderExplanation[row - 1] = MakeLabel(frame, ControlName("lblHeaderExplanation", row - 1),
                                                  Kind::Explanation, kExplanationLeft, HeaderCellTop(row));
    }
    for (int i = 0; i < 4; ++i)
        lblHeader[i] =
            MakeLabel(frame, ControlName("lblHeader", i), Kind::Cell,
                      kCellLeft + kCellPitch * HeaderCellColumn(i), HeaderCellTop(HeaderCellRow(i)));
    const char* dataNames_[] = {"lblCommand", "lblGateNumber", "lblDestFloor", "lblDoorOpen",
                                "lblAttr",    "lblSeqNumber",  "lblReserve"};
    for (int row = 1; row <= kDataRows; ++row) {
        dataNames[row - 1] = MakeLabel(frame, QString::fromLatin1(dataNames_[row - 1]), Kind::Text, kNameLeft,
                                       DataNameTop(row));
        lblDataTypeD[row - 1] =
            MakeLabel(frame, ControlName("lblDataTypeD", row - 1), Kind::Text, kTypeLeft, DataNameTop(row));
        lblDataExplanation[row - 1] = MakeLabel(frame, ControlName("lblDataExplanation", row - 1),
                                                Kind::Explanation, kExplanationLeft, DataCellTop(row));
    }
    for (int i = 0; i < 16; ++i)
        lblData[i] = MakeLabel(frame, ControlName("lblData", i), Kind::Cell,
                               kCellLeft + kCellPitch * DataCellColumn(i), DataCellTop(DataCellRow(i)));
    Draw(design);
}

void DecodeTableView::Draw(const DecodeTable& table) {
    const DecodeTable* before = m_drawn ? &*m_drawn : nullptr;
    auto draw = [&](auto& widgets, const auto& labels, const auto* old, Kind kind) {
        for (std::size_t i = 0; i < widgets.size(); ++i)
            Apply(widgets[i], labels[i], old ? &(*old)[i] : nullptr, kind);
    };
    draw(lblHeader, table.lblHeader, before ? &before->lblHeader : nullptr, Kind::Cell);
    draw(lblDataTypeH, table.lblDataTypeH, before ? &before->lblDataTypeH : nullptr, Kind::Text);
    draw(lblHeaderExplanation, table.lblHeaderExplanation, before ? &before->lblHeaderExplanation : nullptr,
         Kind::Explanation);
    draw(lblData, table.lblData, before ? &before->lblData : nullptr, Kind::Cell);
    draw(lblDataTypeD, table.lblDataTypeD, before ? &before->lblDataTypeD : nullptr, Kind::Text);
    draw(lblDataExplanation, table.lblDataExplanation, before ? &before->lblDataExplanation : nullptr,
         Kind::Explanation);
    const auto names = DataNameLabels(table);
    for (std::size_t i = 0; i < dataNames.size(); ++i)
        Apply(dataNames[i], *names[i], before ? DataNameLabels(*before)[i] : nullptr, Kind::Text);
    m_drawn = table;
    DescribeCells(table);
}

// Red is not the only cue: a screen reader hears each value cell's field, whether it is wrong or missing,
// and then the cell's note (its value in words, the reason when red).
void DecodeTableView::DescribeCells(const DecodeTable& table) {
    const auto describe = [](QLabel* cell, std::string_view field, const Label& label) {
        if (!label.visible)
            return;
        const char* verdict = !label.red ? "valid" : label.caption.empty() ? "missing" : "invalid";
        QString text = QStringLiteral("%1: %2").arg(
            QString::fromLatin1(field.data(), static_cast<qsizetype>(field.size())), QLatin1String(verdict));
        if (!label.note.empty())
            text += QStringLiteral(" \u2014 ") + QString::fromStdString(label.note);
        cell->setAccessibleDescription(text);
    };
    for (std::size_t i = 0; i < lblHeader.size(); ++i)
        describe(
            lblHeader[i],
            MessageFormat::kHeaderRowNames[static_cast<std::size_t>(HeaderCellRow(static_cast<int>(i)) - 1)],
            table.lblHeader[i]);
    const auto names = DataNameLabels(table);
    for (std::size_t i = 0; i < lblData.size(); ++i)
        describe(lblData[i], names[static_cast<std::size_t>(DataCellRow(static_cast<int>(i)) - 1)]->caption,
                 table.lblData[i]);
}
