#include "barcode/Code128.h"

#include <array>

namespace kestrova::barcode {

namespace {

// Widths of 1, 2, 3 and 4 modules: b, B, c, C for bars and s, S, t, T for spaces. Six elements
// each (the stop's final bar is not matched); indexed by symbol value.
constexpr std::array<std::string_view, 107> CODE128{
    "BsBSBS", "BSBsBS", "BSBSBs", "bSbSBt", "bSbtBS", "btbSBS", "bSBSbt", "bSBtbS", "btBSbS", "BSbSbt", "BSbtbS",
    "BtbSbS", "bsBScS", "bSBscS", "bSBScs", "bscSBS", "bScsBS", "bScSBs", "BScSbs", "BSbscS", "BSbScs", "BscSbS",
    "BScsbS", "csBscs", "csbSBS", "cSbsBS", "cSbSBs", "csBSbS", "cSBsbS", "cSBSbs", "BsBsBt", "BsBtBs", "BtBsBs",
    "bsbtBt", "btbsBt", "btbtBs", "bsBtbt", "btBsbt", "btBtbs", "Bsbtbt", "Btbsbt", "Btbtbs", "bsBsct", "bsBtcs",
    "btBscs", "bscsBt", "bsctBs", "btcsBs", "cscsBs", "Bsbtcs", "Btbscs", "Bscsbt", "Bsctbs", "Bscscs", "csbsBt",
    "csbtBs", "ctbsBs", "csBsbt", "csBtbs", "ctBsbs", "csCsbs", "BSbTbs", "Ctbsbs", "bsbSBT", "bsbTBS", "bSbsBT",
    "bSbTBs", "bTbsBS", "bTbSBs", "bsBSbT", "bsBTbS", "bSBsbT", "bSBTbs", "bTBsbS", "bTBSbs", "BTbSbs", "BSbsbT",
    "Cscsbs", "BTbsbS", "btCsbs", "bsbSCS", "bSbsCS", "bSbSCs", "bsCSbS", "bSCsbS", "bSCSbs", "CsbSbS", "CSbsbS",
    "CSbSbs", "BsBsCs", "BsCsBs", "CsBsBs", "bsbsCt", "bsbtCs", "btbsCs", "bsCsbt", "bsCtbs", "Csbsbt", "Csbtbs",
    "bscsCs", "bsCscs", "csbsCs", "Csbscs", "BsbTbS", "BsbSbT", "BsbScS", "Btcsbs",
};
static_assert(CODE128.size() == 107);

} // namespace

int Code128Value(std::string_view letters) {
    if (letters.size() != 6) return -1;
    for (std::size_t i = 0; i < CODE128.size(); ++i)
        if (CODE128[i] == letters) return static_cast<int>(i);
    return -1;
}

std::string_view Code128Pattern(int value) {
    return value >= 0 && value < static_cast<int>(CODE128.size()) ? CODE128[static_cast<std::size_t>(value)]
                                                                  : std::string_view{};
}

} // namespace kestrova::barcode
