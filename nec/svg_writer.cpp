#include "nec/svg_writer.h"

#include "nec/text_format.h"


namespace corvanta::nec {

namespace {

std::string Number(double value, int decimals = 2) { return Fixed(value, decimals); }

std::string Escape(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

SvgWriter::SvgWriter(double width, double height) : width_(width), height_(height) {}

void SvgWriter::Line(double x1, double y1, double x2, double y2, std::string_view stroke,
                     double width, std::string_view dash) {
    body_ += "<line x1=\"" + Number(x1) + "\" y1=\"" + Number(y1) + "\" x2=\"" + Number(x2) +
             "\" y2=\"" + Number(y2) + "\" stroke=\"" + Escape(stroke) + "\" stroke-width=\"" +
             Number(width) + "\"";
    if (!dash.empty()) body_ += " stroke-dasharray=\"" + Escape(dash) + "\"";
    body_ += "/>\n";
}

void SvgWriter::Polyline(const std::vector<std::pair<double, double>>& points,
                         std::string_view stroke, double width) {
    body_ += "<polyline fill=\"none\" stroke=\"" + Escape(stroke) + "\" stroke-width=\"" +
             Number(width) + "\" points=\"";
    for (const auto& [x, y] : points) body_ += Number(x) + "," + Number(y) + " ";
    body_ += "\"/>\n";
}

void SvgWriter::Rect(double x, double y, double width, double height, std::string_view fill,
                     std::string_view stroke) {
    body_ += "<rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"" + Number(width) +
             "\" height=\"" + Number(height) + "\" fill=\"" + Escape(fill) + "\" stroke=\"" +
             Escape(stroke) + "\"/>\n";
}

void SvgWriter::Text(double x, double y, std::string_view text, std::string_view anchor,
                     double size, std::string_view fill) {
    body_ += "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" text-anchor=\"" +
             Escape(anchor) + "\" font-size=\"" + Number(size, 1) + "\" fill=\"" + Escape(fill) +
             "\">" + Escape(text) + "</text>\n";
}

std::string SvgWriter::Finish() const {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
           "width=\"" + Number(width_, 0) + "\" height=\"" + Number(height_, 0) +
           "\" viewBox=\"0 0 " + Number(width_, 0) + " " + Number(height_, 0) +
           "\" font-family=\"sans-serif\">\n" + body_ + "</svg>\n";
}

}  // namespace corvanta::nec
