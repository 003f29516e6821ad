#include "ui/tui/layout.h"

#include <algorithm>
#include <cmath>

namespace lntc::tui {

namespace {

constexpr int kUnitsPerColumn = 4;
constexpr int kUnitsPerRow = 8;
// Tops closer than this are one line (a label stands 2 units below the field it names).
constexpr int kSameLine = 6;

int roundDiv(double units, double perCell) {
    return static_cast<int>(std::lround(units / perCell));
}

// Dialog units to rows, at a scale: each line of controls keeps a row of its own.
class RowMap {
  public:
    RowMap(const std::vector<ControlPlace>& controls, double scale) : scale_(scale) {
        // Hidden controls (shown instead of others) make no lines of their own.
        std::vector<int> tops;
        for (const ControlPlace& c : controls)
            if (!(c.style & cs::Hidden)) tops.push_back(c.y);
        std::sort(tops.begin(), tops.end());
        for (int y : tops) {
            if (!lines_.empty() && y - lines_.back().units < kSameLine) continue;
            int row = roundDiv(y * scale_, kUnitsPerRow);
            if (!lines_.empty()) row = std::max(row, lines_.back().row + 1);
            lines_.push_back({y, row});
        }
    }
    int row(int y) const {
        Line base = lineOf(y);
        return base.row + roundDiv((y - base.units) * scale_, kUnitsPerRow);
    }
    // A control's top: the row of the line it stands on.
    int top(int y) const {
        Line base = lineOf(y);
        return y - base.units < kSameLine ? base.row : row(y);
    }

  private:
    struct Line {
        int units, row;
    };
    Line lineOf(int y) const {
        Line base{0, 0};
        for (const Line& l : lines_)
            if (l.units <= y) base = l;
        return base;
    }

    double scale_;
    std::vector<Line> lines_;
};

struct Placed {
    std::vector<CellRect> controls; // relative to the dialog's inside
    int height = 0;
};

Placed place(int cy, const std::vector<ControlPlace>& controls, double rowScale, double colScale) {
    RowMap rows(controls, rowScale);
    Placed p;
    p.height = std::max(1, rows.row(cy));
    for (const ControlPlace& c : controls) {
        CellRect r;
        r.x = roundDiv(c.x * colScale, kUnitsPerColumn);
        r.w = std::max(1, roundDiv((c.x + c.cx) * colScale, kUnitsPerColumn) - r.x);
        r.y = rows.top(c.y);
        r.h = SingleRow(c.kind, c.style, c.cy) ? 1 : std::max(1, rows.row(c.y + c.cy) - r.y);
        p.controls.push_back(r);
    }
    // A group's frame goes round what it holds however its rows came out.
    for (size_t g = 0; g < controls.size(); ++g) {
        if (controls[g].kind != ControlKind::GroupBox) continue;
        const ControlPlace& gc = controls[g];
        CellRect& gr = p.controls[g];
        for (size_t i = 0; i < controls.size(); ++i) {
            const ControlPlace& c = controls[i];
            if (i == g || c.y <= gc.y || c.y >= gc.y + gc.cy || c.x < gc.x || c.x >= gc.x + gc.cx)
                continue;
            gr.h = std::max(gr.h, p.controls[i].bottom() + 1 - gr.y);
        }
        gr.h = std::max(gr.h, 2);
    }
    for (const CellRect& r : p.controls)
        p.height = std::max(p.height, r.bottom());
    return p;
}

} // namespace

bool SingleRow(ControlKind kind, uint32_t style, int cy) {
    switch (kind) {
    case ControlKind::ListBox:
    case ControlKind::GroupBox:
    case ControlKind::Picture:
        return false;
    case ControlKind::Edit:
        return !(style & cs::MultiLine);
    case ControlKind::Static:
        return cy <= 2 * kUnitsPerRow - 4; // one line of text
    case ControlKind::ScrollBar:
        return cy <= 2 * kUnitsPerRow;
    default:
        return true;
    }
}

DialogLayout LayoutDialog(int cx, int cy, const std::vector<ControlPlace>& controls, int cols,
                          int rows) {
    const int availCols = std::max(1, cols - 2), availRows = std::max(1, rows - 2);
    const int naturalCols = std::max(1, (cx + kUnitsPerColumn - 1) / kUnitsPerColumn);
    const double colScale = std::min(1.0, static_cast<double>(availCols) / naturalCols);
    Placed p;
    // The largest scale at which every row fits; at the smallest one the dialog is cut.
    for (double scale = 1.0;; scale -= 0.025) {
        p = place(cy, controls, scale, colScale);
        if (p.height <= availRows || scale < 0.3) break;
    }
    const int width = std::min(availCols, roundDiv(cx * colScale, kUnitsPerColumn));
    const int height = std::min(availRows, p.height);
    DialogLayout out;
    out.frame.w = width + 2;
    out.frame.h = height + 2;
    out.frame.x = std::max(0, (cols - out.frame.w) / 2);
    out.frame.y = std::max(0, (rows - out.frame.h) / 2);
    for (CellRect r : p.controls) {
        r.x += out.frame.x + 1;
        r.y += out.frame.y + 1;
        out.controls.push_back(r);
    }
    return out;
}

} // namespace lntc::tui
