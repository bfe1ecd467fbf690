#include "board/HourGrid.h"

#include "board/BoardControls.h"
#include "board/HourTable.h"
#include "data/controls/DataControl.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"

#include <QLabel>

namespace {
const QString& header(const HourRow& row, HourGrid::Header form) {
    return form == HourGrid::Header::Menu ? row.menuHeader : row.clockHeader;
}
} // namespace

HourGrid::HourGrid(BoardControls& controls) : c_(controls) {}

QString HourGrid::slotName(const QString& timeCaption) {
    return timeCaption.trimmed() + QStringLiteral(" slot");
}

void HourGrid::showHour(int hour, Header form) {
    c_.data[1]->setRecordSource(hourRows()[hour].table);
    c_.data[1]->refresh();
    writeCaptions(hour, form);
}

void HourGrid::writeCaptions(int hour, Header form) {
    const HourRow& row = hourRows()[hour];
    for (int k = 1; k <= 12; ++k) {
        c_.slotLabel[k]->setText(row.slotLabels[k - 1]);
        c_.slotBox[k]->setAccessibleName(slotName(row.slotLabels[k - 1]));
    }
    for (int k = 1; k <= 12; ++k)
        c_.slotKey[k]->setText(row.slotKeys[k - 1]);
    c_.Label32->setText(header(row, form));
}

void HourGrid::clearSlotMark() {
    for (int k = 1; k <= 12; ++k)
        c_.slotBox[k]->setBackColor(colors::kYellow);
}

bool HourGrid::shows(int hour, Header form) const {
    const HourRow& row = hourRows()[hour];
    return c_.data[1]->recordSource() == row.table && c_.Label32->text() == header(row, form);
}
