#include "board/CopyPanel.h"

#include "data/catalogue/Catalogue.h"
#include "data/controls/FieldBinding.h"
#include "widgets/Colors.h"
#include "widgets/TextBox.h"
#include "widgets/XButton.h"

#include <QGroupBox>
#include <array>

namespace {

const std::array<const char*, 4> kWeatherCaptions = {"Weather Forcast", "Contest Information",
                                                     "Remote Information", "Show Promo"};

void paintGroup(BoardControls& b, int first, int active, quint32 activeBack, quint32 idleBack, quint32 fore) {
    for (int k = first; k < first + 4; ++k) {
        b.xbutton[k]->setBackColor(k == active ? activeBack : idleBack);
        b.xbutton[k]->setForeColor(fore);
    }
}

} // namespace

void CopyPanel::weatherButton(int k) {
    b_.Frame5->setTitle(QString::fromLatin1(kWeatherCaptions[k - 1]));
    paintGroup(b_, 1, k, colors::kBlue, colors::kRed, colors::kWhite);
    if (FieldBinding* binding = FieldBinding::of(b_.Text20))
        binding->setDataField(catalogue::weatherFields()[k - 1]);
}

void CopyPanel::sloganPage(int page) {
    paintGroup(b_, 10, 9 + page, colors::kGreen, colors::kYellow, colors::kBlack);
    for (int line = 1; line <= 3; ++line)
        if (FieldBinding* binding = FieldBinding::of(b_.sloganBox[line]))
            binding->setDataField(catalogue::sloganFields()[3 * (page - 1) + line - 1]);
}
