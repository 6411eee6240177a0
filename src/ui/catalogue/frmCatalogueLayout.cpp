// The Catalogue window's layout memory: its size and column widths, kept in the profile's [CATALOGUE]
// section and written back only where they changed.
#include "ui/catalogue/frmCatalogue.h"

#include "core/settings/ProfileAccess.h"

#include <QHeaderView>
#include <QTableView>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>
#include <system_error>

namespace {

constexpr const char* LayoutSection = "CATALOGUE";
// Window size and column widths, in pixels: a value must fit the 49 characters a profile read gives back,
// and the widths of nine columns in twips need not.
constexpr std::array<const char*, 5> LayoutKeys = {"WIDTH", "HEIGHT", "RESULTS", "DISKS", "FOLDERS"};
constexpr int LongestRemembered = 9999;

std::string WidthsText(const QHeaderView& header) {
    std::string text;
    for (int i = 0; i < header.count(); ++i) {
        text += (i > 0 ? "," : "") + std::to_string(std::clamp(header.sectionSize(i), 1, LongestRemembered));
    }
    return text;
}

int WholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

void ApplyWidths(QHeaderView& header, const std::string& text) {
    std::string_view rest = text;
    for (int i = 0; i < header.count() && !rest.empty(); ++i) {
        const std::size_t comma = rest.find(',');
        const int width = WholeNumber(rest.substr(0, comma));
        if (width > 0 && width <= LongestRemembered) {
            header.resizeSection(i, width);
        }
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
}

} // namespace

void frmCatalogue::restoreLayout() {
    if (!m_services.profile) {
        return;
    }
    m_savedLayout.clear();
    for (const char* key : LayoutKeys) {
        m_savedLayout.push_back(ProfileAccess(m_services, "GET", LayoutSection, key));
    }
    const int width = WholeNumber(m_savedLayout[0]);
    const int height = WholeNumber(m_savedLayout[1]);
    if (width > 0 && height > 0) {
        resize(std::max(width, minimumWidth()), std::max(height, minimumHeight()));
    }
    ApplyWidths(*grdResults->horizontalHeader(), m_savedLayout[2]);
    ApplyWidths(*grdDisks->horizontalHeader(), m_savedLayout[3]);
    ApplyWidths(*tvwFolders->header(), m_savedLayout[4]);
}

void frmCatalogue::saveLayout() {
    if (!m_services.profile) {
        return;
    }
    const QSize size = isMaximized() || isMinimized() ? normalGeometry().size() : this->size();
    const std::vector<std::string> now = {std::to_string(size.width()), std::to_string(size.height()),
                                          WidthsText(*grdResults->horizontalHeader()),
                                          WidthsText(*grdDisks->horizontalHeader()),
                                          WidthsText(*tvwFolders->header())};
    std::vector<ProfileWrite> writes;
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (i >= m_savedLayout.size() || now[i] != m_savedLayout[i]) {
            writes.push_back({LayoutSection, LayoutKeys[i], now[i]});
        }
    }
    if (!writes.empty()) {
        // A size that could not be kept is not worth a message.
        (void)ProfileWriteKeys(m_services, writes);
        m_savedLayout = now;
    }
}

void frmCatalogue::hideEvent(QHideEvent* event) {
    saveLayout();
    QDialog::hideEvent(event);
}
