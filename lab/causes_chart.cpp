#include "lab/causes_chart.h"

#include <sstream>

#include "lab/chart_caption.h"
#include "lab/chart_plot.h"
#include "lab/svg_text.h"

namespace lab {

namespace {

constexpr double kHeadSize = 16;
constexpr double kCaptionSize = 13;
constexpr double kPanelGap = 20;

}  // namespace

std::string causesChartSvg(const std::vector<experiment::CurvePoint>& points,
                           const ChartText& text) {
  const LoadAxis loads = plotLoadAxis(points, nullptr);
  std::vector<Plot> panels;
  for (std::size_t cause = 0; cause < experiment::kCauseColumns; ++cause) {
    Plot panel;
    panel.title = causeTitle(cause);
    panel.yLabel = "Share of offered calls blocked";
    panel.height = 220;
    panel.lines = plotLines(points, [cause](const experiment::CurvePoint& point) {
      return PlotPoint{point.key.load, point.measured, point.meanCauseShares[cause],
                       point.causeHalfWidths[cause]};
    });
    panel.onePath = text.onePath;
    panel.loads = loads;
    bool any = false;
    for (const PlotLine& line : panel.lines) any = any || line.drawn();
    if (any) panels.push_back(std::move(panel));
  }
  std::ostringstream body;
  double y = 0;
  for (const std::string& line : wrapText(text.title, kChartWidth - 2 * kChartMargin, kHeadSize)) {
    y += kHeadSize + 6;
    body << "<text x=\"" << kChartWidth / 2 << "\" y=\"" << y << "\" font-size=\"" << kHeadSize
         << "\" font-weight=\"bold\" text-anchor=\"middle\">" << svgEscaped(line) << "</text>\n";
  }
  if (panels.empty()) y = drawParagraph(body, "No call was blocked.", y + 8, kHeadSize - 2);
  bool errorBars = false;
  for (const Plot& panel : panels) {
    body << "<g class=\"panel\">\n";
    y = drawPlot(body, panel, y + 8);
    y = drawParagraph(body, undrawnNote(panel), y, kCaptionSize - 1, "#444");
    body << "</g>\n";
    y += kPanelGap;
    errorBars = errorBars || hasErrorBars(panel);
  }
  const std::string caption = withErrorBarNote(text.caption, errorBars);
  y = drawParagraph(body, caption, y, kCaptionSize);
  return chartDocument(body.str(), y + 12, caption);
}

}  // namespace lab
