#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Just enough SVG for line plots: lines, polylines, rectangles and text.

namespace corvanta::nec {

class SvgWriter {
public:
    SvgWriter(double width, double height);

    void Line(double x1, double y1, double x2, double y2, std::string_view stroke,
              double width = 1, std::string_view dash = {});
    void Polyline(const std::vector<std::pair<double, double>>& points, std::string_view stroke,
                  double width = 1.5);
    void Rect(double x, double y, double width, double height, std::string_view fill,
              std::string_view stroke = "none");
    void Text(double x, double y, std::string_view text, std::string_view anchor = "start",
              double size = 12, std::string_view fill = "#000");

    std::string Finish() const;

private:
    double width_, height_;
    std::string body_;
};

}  // namespace corvanta::nec
