#include "support/svg_map.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "frame/number_format.h"
#include "platform/text.h"
#include "support/html_page.h"

namespace tessary::cli {
namespace {

constexpr double kMapWidth = 720, kMapHeight = 640, kLegendX = 760, kTop = 56, kMargin = 20;
constexpr const char* kNoDataColour = "#d9d9d9";

std::string number(double value) {
  return formatGeneral(value, 4);
}

// Map units (micro-units / 1e6) to page coordinates; longitude is shrunk by the
// cosine of the middle latitude when the bounds look like degrees.
struct Projection {
  double xMin, yMax, xStretch, scale, width, height;

  explicit Projection(const double* bounds) {
    xMin = bounds[0] / 1e6;
    yMax = bounds[3] / 1e6;
    const double dx = std::max(bounds[2] / 1e6 - xMin, 1e-9),
                 dy = std::max(yMax - bounds[1] / 1e6, 1e-9);
    const bool degrees =
        bounds[0] >= -180e6 && bounds[2] <= 180e6 && bounds[1] >= -90e6 && bounds[3] <= 90e6;
    xStretch = degrees ? std::cos((bounds[1] + bounds[3]) / 2e6 * std::numbers::pi / 180) : 1.0;
    scale = std::min(kMapWidth / (dx * xStretch), kMapHeight / dy);
    width = dx * xStretch * scale;
    height = dy * scale;
  }
  double x(std::int32_t micro) const { return kMargin + (micro / 1e6 - xMin) * xStretch * scale; }
  double y(std::int32_t micro) const { return kTop + (yMax - micro / 1e6) * scale; }
};

std::string pathData(const AreaShapes& shapes, std::int32_t k, const Projection& p) {
  const std::int32_t* record = shapes.record(k);
  const std::int32_t* part = shapes.coords.data() + record[4];
  std::string d;
  for (std::int32_t r = 0; r < record[3]; ++r) {
    const std::int32_t n = part[1];
    for (std::int32_t v = 0; v < n; ++v)
      d +=
          formatText("%c%.1f %.1f", v == 0 ? 'M' : 'L', p.x(part[2 + 2 * v]), p.y(part[3 + 2 * v]));
    if (n > 0) d += 'Z';
    part += 2 + 2 * n;
  }
  return d;
}

std::string legend(const std::vector<double>& breaks, const std::vector<double>& lowest,
                   const std::vector<int>& counts, int missing, const MapOptions& options) {
  std::string svg = formatText(
      "<g id=\"legend\" font-size=\"12\">\n<text x=\"%.0f\" y=\"%.0f\" "
      "font-weight=\"bold\">%s</text>\n",
      kLegendX, kTop + 10, escapeHtml(options.valueName).c_str());
  const int classes = static_cast<int>(breaks.size());
  auto row = [&](int at, const std::string& colour, const std::string& text) {
    const double y = kTop + 26 + 22.0 * at;
    svg += formatText(
        "<rect x=\"%.0f\" y=\"%.0f\" width=\"18\" height=\"14\" fill=\"%s\" "
        "stroke=\"#555555\" stroke-width=\"0.5\"/><text x=\"%.0f\" y=\"%.0f\">%s</text>\n",
        kLegendX, y, colour.c_str(), kLegendX + 26, y + 12, escapeHtml(text).c_str());
  };
  for (int c = 0; c < classes; ++c)
    row(c, viridisColour(c, classes),
        number(lowest[c]) + " \u2013 " + number(breaks[c]) + formatText(" (%d)", counts[c]));
  if (missing > 0) row(classes, kNoDataColour, formatText("no data (%d)", missing));
  return svg + "</g>\n";
}

}  // namespace

std::vector<double> equalCountBreaks(std::vector<double> values, int classes) {
  std::erase_if(values, [](double v) { return !std::isfinite(v); });
  std::sort(values.begin(), values.end());
  std::vector<double> breaks;
  const std::size_t m = values.size();
  for (int c = 1; c <= classes && m > 0; ++c) {
    const std::size_t upper = (static_cast<std::size_t>(c) * m + classes - 1) / classes - 1;
    if (breaks.empty() || values[upper] > breaks.back()) breaks.push_back(values[upper]);
  }
  return breaks;
}

std::string viridisColour(int index, int count) {
  static const int kStops[5][3] = {{0x44, 0x01, 0x54},
                                   {0x3b, 0x52, 0x8b},
                                   {0x21, 0x91, 0x8c},
                                   {0x5e, 0xc9, 0x62},
                                   {0xfd, 0xe7, 0x25}};
  const double t = count > 1 ? 4.0 * index / (count - 1) : 2.0;
  const int low = std::min(static_cast<int>(t), 3);
  const double f = t - low;
  int rgb[3];
  for (int c = 0; c < 3; ++c)
    rgb[c] =
        static_cast<int>(std::lround(kStops[low][c] + f * (kStops[low + 1][c] - kStops[low][c])));
  return formatText("#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
}

std::string choroplethSvg(const AreaShapes& shapes, const std::vector<double>& values,
                          const MapOptions& options) {
  const Projection projection(shapes.bounds);
  const std::vector<double> breaks = equalCountBreaks(values, std::max(options.classes, 1));
  const int classes = static_cast<int>(breaks.size());
  std::vector<double> lowest(breaks.size(), HUGE_VAL);
  std::vector<int> counts(breaks.size(), 0);
  int missing = 0;
  const double height =
      std::max(kTop + projection.height, kTop + 40 + 22.0 * (classes + 1)) + kMargin;
  std::string svg = formatText(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"980\" height=\"%.0f\" viewBox=\"0 0 980 "
      "%.0f\" "
      "font-family=\"sans-serif\">\n<title>%s</title>\n<rect width=\"980\" height=\"%.0f\" "
      "fill=\"#ffffff\"/>\n"
      "<text x=\"%.0f\" y=\"34\" font-size=\"20\" font-weight=\"bold\">%s</text>\n"
      "<g id=\"areas\" stroke=\"#ffffff\" stroke-width=\"0.6\" stroke-linejoin=\"round\" "
      "fill-rule=\"evenodd\">\n",
      height, height, escapeHtml(options.title).c_str(), height, kMargin,
      escapeHtml(options.title).c_str());
  for (std::int32_t k = 0; k < shapes.count; ++k) {
    const double v = values[k];
    std::string colour = kNoDataColour, shown = "no data";
    if (std::isfinite(v)) {
      const int c =
          static_cast<int>(std::lower_bound(breaks.begin(), breaks.end(), v) - breaks.begin());
      colour = viridisColour(c, classes);
      lowest[c] = std::min(lowest[c], v);
      ++counts[c];
      shown = number(v);
    } else {
      ++missing;
    }
    svg +=
        formatText("<path fill=\"%s\" d=\"%s\"><title>%s (%s): %s</title></path>\n", colour.c_str(),
                   pathData(shapes, k, projection).c_str(), escapeHtml(shapes.label(k)).c_str(),
                   formatGeneral(shapes.gid(k), 15).c_str(), shown.c_str());
  }
  svg += "</g>\n" + legend(breaks, lowest, counts, missing, options) + "</svg>\n";
  return svg;
}

}  // namespace tessary::cli
