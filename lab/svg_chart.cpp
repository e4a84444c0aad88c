#include "lab/svg_chart.h"

#include <sstream>

#include "lab/chart_plot.h"
#include "lab/svg_text.h"

namespace lab {

namespace {

constexpr double kCaptionSize = 13;

}  // namespace

std::string blockingChartSvg(const std::vector<experiment::CurvePoint>& points,
                             const ChartText& text, const experiment::ReferenceCurve* reference) {
  Plot plot;
  plot.title = text.title;
  plot.lines = plotLines(points, [](const experiment::CurvePoint& point) {
    return PlotPoint{point.key.load, point.measured, point.meanBlocking, point.halfWidth};
  });
  plot.reference = reference;
  plot.onePath = text.onePath;
  plot.loads = plotLoadAxis(points, reference);
  std::ostringstream body;
  double y = drawPlot(body, plot, 4);
  const std::string caption = withErrorBarNote(text.caption, hasErrorBars(plot));
  y = drawParagraph(body, caption, y + 6, kCaptionSize);
  y = drawParagraph(body, undrawnNote(plot), y + 4, kCaptionSize - 1, "#444");
  return chartDocument(body.str(), y + 12, caption);
}

}  // namespace lab
