#include "tools/scenegen/SceneGenerator.h"

#include "tools/scenegen/CardFace.h"
#include "tools/scenegen/PlaneRaster.h"
#include "tools/scenegen/SceneRng.h"
#include "tools/scenegen/Textures.h"

#include <QBuffer>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;

double radians(double degrees)
{
    return degrees * pi / 180.0;
}

cv::Point2d toCv(QPointF p)
{
    return {p.x(), p.y()};
}
QPointF toQt(cv::Point2d p)
{
    return {p.x, p.y};
}

const std::array<cv::Point2d, 4> cardOutline = {cv::Point2d(0, 0), cv::Point2d(cardWidthMm, 0),
                                                cv::Point2d(cardWidthMm, cardHeightMm),
                                                cv::Point2d(0, cardHeightMm)};

// Everything about a scene that is drawn from the seed before any pixel is rendered.
struct Look
{
    bool hasCard = true;
    Surface surface = Surface::Wood;
    CardStyle cardStyle = CardStyle::Bank;
    double widthFraction = 0.3;
    double tiltDeg = 15;
    double rollDeg = 0;
    double yawDeg = 0;
    double focalPx = 1500;
    cv::Point2d cardCentre;
    bool freeObjectAngle = false;
    SceneObjectKind objectKind = SceneObjectKind::Pen;
    int distractors = 0;
    bool glare = false;
    bool finger = false;
    bool thumb = false;   // a second finger over the opposite edge: the card is held
    bool clutter = false; // office clutter close around the card
    bool onPaper = false; // the card lies on a printed sheet
    bool partial = false; // the card runs off the picture
    double lensSigma = 0.6;
    double defocusRadius = 0.0;
    double motionLength = 0.0;
    double motionAngle = 0.0;
    double noiseSigma = 0.005;
    double chromaNoise = 0.0;
    int jpegQuality = 92;
    double sharpen = 0.0;
    double shadowStrength = 0.25;
    double dofScale = 0.0;      // blur radius (px) at depth d is dofScale * |1 - focus / d|
    double tableLevel = -1.0;   // fixed brightness of a plain table, or drawn when negative
    double cardLevel = -1.0;    // fixed brightness of a dark, white or grey card
    cv::Point2d lightDir{1, 1}; // shadows fall this way on the table (plane direction)
};

bool isLight(CardStyle s)
{
    return s == CardStyle::PlainWhite || s == CardStyle::Loyalty || s == CardStyle::Back;
}

CardStyle anyCardStyle(SceneRng &rng)
{
    const double u = rng.uniform();
    if (u < 0.45)
        return CardStyle::Bank;
    if (u < 0.60)
        return CardStyle::Loyalty;
    if (u < 0.70)
        return CardStyle::DarkBank;
    if (u < 0.80)
        return CardStyle::PlainWhite;
    if (u < 0.88)
        return CardStyle::PlainGrey;
    return CardStyle::Back;
}

Surface anySurface(SceneRng &rng)
{
    static const Surface all[] = {Surface::Wood,  Surface::Wood,   Surface::LightTable,
                                  Surface::Paper, Surface::Fabric, Surface::DarkTable};
    return all[rng.integer(0, 5)];
}

// A card centre close to one side of the frame, so that the card runs off it.
cv::Point2d nearBorder(const SceneSpec &sceneSpec, SceneRng &rng)
{
    const double along = rng.uniform(0.2, 0.8), across = rng.uniform(0.04, 0.14);
    const double w = sceneSpec.width, h = sceneSpec.height;
    switch (rng.integer(0, 3)) {
    case 0:
        return {along * w, across * h};
    case 1:
        return {along * w, (1 - across) * h};
    case 2:
        return {across * w, along * h};
    default:
        return {(1 - across) * w, along * h};
    }
}

// Blur sizes are chosen for 1920 pixels along the longer side and grow with the picture.
double sizeScale(const SceneSpec &sceneSpec)
{
    return std::max(sceneSpec.width, sceneSpec.height) / 1920.0;
}

// An ordinary photo of a card on a table, before its category changes anything.
Look ordinaryLook(const SceneSpec &sceneSpec, SceneRng &rng)
{
    Look k;
    const bool big = std::max(sceneSpec.width, sceneSpec.height) >= 3000;
    k.surface = anySurface(rng);
    k.cardStyle = anyCardStyle(rng);
    k.widthFraction = rng.uniform(0.2, 0.4);
    k.tiltDeg = rng.uniform(0, 30);
    k.rollDeg = rng.uniform(-6, 6);
    k.yawDeg = (rng.chance(0.7) ? 0.0 : 90.0) + rng.uniform(-14, 14);
    k.focalPx = rng.uniform(0.75, 1.05) * std::max(sceneSpec.width, sceneSpec.height);
    k.cardCentre = {rng.uniform(0.3, 0.7) * sceneSpec.width,
                    rng.uniform(0.3, 0.7) * sceneSpec.height};
    const double objectDraw = rng.uniform();
    k.objectKind = objectDraw < 0.4   ? SceneObjectKind::Pen
                   : objectDraw < 0.7 ? SceneObjectKind::Pencil
                                      : SceneObjectKind::Ruler;
    k.distractors = rng.chance(0.15) ? 1 : 0;
    k.glare = rng.chance(0.1);
    k.lensSigma = big ? rng.uniform(0.6, 0.9) : rng.uniform(0.45, 0.75);
    k.noiseSigma = rng.uniform(0.003, 0.008);
    k.jpegQuality = rng.integer(85, 95);
    k.sharpen = rng.chance(0.5) ? rng.uniform(0.2, 0.6) : 0.0;
    k.shadowStrength = rng.uniform(0.15, 0.35);
    const double light = rng.uniform(0, 2 * pi);
    k.lightDir = {std::cos(light), std::sin(light)};
    return k;
}

// Ordinary scenes keep a reasonable contrast between card and table.
void separateCardFromTable(Look &k, SceneRng &rng)
{
    const bool lightSurface = k.surface == Surface::LightTable || k.surface == Surface::Paper;
    if (isLight(k.cardStyle) && lightSurface)
        k.surface = rng.chance(0.5) ? Surface::Wood : Surface::DarkTable;
    if (k.cardStyle == CardStyle::DarkBank && k.surface == Surface::DarkTable)
        k.surface = Surface::LightTable;
}

// A white, grey or light card on a light table or sheet.
void lowContrastLook(Look &k, SceneRng &rng)
{
    static const CardStyle light[] = {CardStyle::PlainWhite, CardStyle::PlainWhite,
                                      CardStyle::PlainGrey, CardStyle::Loyalty, CardStyle::Back};
    k.cardStyle = light[rng.integer(0, 4)];
    k.surface = rng.chance(0.6) ? Surface::LightTable : Surface::Paper;
    k.shadowStrength = rng.uniform(0.04, 0.12);
    // Hard but visible: the card differs from the table by a few percent of full scale.
    k.tableLevel = rng.uniform(0.72, 0.84);
    if (k.cardStyle == CardStyle::PlainWhite)
        k.cardLevel = std::min(0.97, k.tableLevel + rng.uniform(0.06, 0.12));
    else if (k.cardStyle == CardStyle::PlainGrey)
        k.cardLevel = k.tableLevel - rng.uniform(0.07, 0.14);
    else
        k.tableLevel = rng.uniform(0.66, 0.74);
}

// A dark card on a dark table.
void darkLook(Look &k, SceneRng &rng)
{
    k.cardStyle = CardStyle::DarkBank;
    k.surface = Surface::DarkTable;
    k.shadowStrength = rng.uniform(0.1, 0.3);
    // A black card on a dark grey table, or a charcoal card on a black one.
    if (rng.chance(0.7)) {
        k.tableLevel = rng.uniform(0.10, 0.17);
        k.cardLevel = rng.uniform(0.025, 0.06);
    } else {
        k.tableLevel = rng.uniform(0.05, 0.09);
        k.cardLevel = rng.uniform(0.18, 0.26);
    }
}

// What sets each category apart from an ordinary scene.
void applyCategory(Look &k, const SceneSpec &sceneSpec, SceneRng &rng)
{
    const double scale = sizeScale(sceneSpec);
    switch (sceneSpec.category) {
    case SceneCategory::Plain:
        k.distractors = 0;
        k.glare = false;
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::LowContrast:
        lowContrastLook(k, rng);
        break;
    case SceneCategory::Dark:
        darkLook(k, rng);
        break;
    case SceneCategory::Textured:
        k.surface = rng.chance(0.6) ? Surface::Wood : Surface::Fabric;
        break;
    case SceneCategory::Glare:
        k.glare = true;
        k.cardStyle = rng.chance(0.7) ? CardStyle::Bank : CardStyle::DarkBank;
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::Defocus:
        k.defocusRadius = rng.uniform(3.0, 6.0) * scale;
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::MotionBlur:
        k.motionLength = rng.uniform(6.0, 14.0) * scale;
        k.motionAngle = rng.uniform(0, 180);
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::Noise:
        k.noiseSigma = rng.uniform(0.02, 0.04);
        k.chromaNoise = rng.uniform(0.01, 0.025);
        k.jpegQuality = rng.integer(30, 55);
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::Finger:
        k.finger = true;
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::Perspective:
        k.tiltDeg = rng.uniform(42, 55);
        k.widthFraction = rng.uniform(0.25, 0.4);
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::Rotation:
        k.yawDeg = rng.uniform(0, 360);
        k.rollDeg = rng.uniform(-180, 180);
        k.freeObjectAngle = true;
        break;
    case SceneCategory::Small:
        k.widthFraction = rng.uniform(0.11, 0.14);
        k.cardCentre = {rng.uniform(0.15, 0.85) * sceneSpec.width,
                        rng.uniform(0.15, 0.85) * sceneSpec.height};
        break;
    case SceneCategory::Distractors:
        k.distractors = rng.integer(2, 3);
        k.widthFraction = rng.uniform(0.15, 0.25);
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::NoCard:
        k.hasCard = false;
        k.distractors = rng.integer(1, 3);
        k.widthFraction = rng.uniform(0.15, 0.3);
        break;
    case SceneCategory::Clutter:
        k.clutter = true;
        k.distractors = rng.integer(3, 5);
        k.widthFraction = rng.uniform(0.25, 0.45);
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::Keyboard:
        k.surface = Surface::Keyboard;
        k.distractors = 0;
        k.widthFraction = rng.uniform(0.3, 0.5);
        break;
    case SceneCategory::OnPaper:
        k.onPaper = true;
        k.distractors = 0;
        k.surface = rng.chance(0.5) ? Surface::Wood : Surface::DarkTable;
        k.widthFraction = rng.uniform(0.25, 0.4);
        break;
    case SceneCategory::Held:
        k.finger = true;
        k.thumb = true;
        k.widthFraction = rng.uniform(0.35, 0.55);
        separateCardFromTable(k, rng);
        break;
    case SceneCategory::Partial:
        k.partial = true;
        k.widthFraction = rng.uniform(0.3, 0.5);
        k.cardCentre = nearBorder(sceneSpec, rng);
        separateCardFromTable(k, rng);
        break;
    }
}

// Whatever the scene's recipe pins overrides what was drawn.
void applyPins(Look &k, const SceneSpec &sceneSpec)
{
    if (sceneSpec.tiltDeg)
        k.tiltDeg = *sceneSpec.tiltDeg;
    if (sceneSpec.rollDeg)
        k.rollDeg = *sceneSpec.rollDeg;
    if (sceneSpec.yawDeg)
        k.yawDeg = *sceneSpec.yawDeg;
    if (sceneSpec.focalPx)
        k.focalPx = *sceneSpec.focalPx;
    if (sceneSpec.cardCentre)
        k.cardCentre = toCv(*sceneSpec.cardCentre);
    if (sceneSpec.cardWidthFraction)
        k.widthFraction = *sceneSpec.cardWidthFraction;
    if (sceneSpec.objectKind)
        k.objectKind = *sceneSpec.objectKind;
    if (sceneSpec.surface)
        k.surface = *sceneSpec.surface;
    if (sceneSpec.cardStyle)
        k.cardStyle = *sceneSpec.cardStyle;
}

Look chooseLook(const SceneSpec &sceneSpec, SceneRng &rng)
{
    Look k = ordinaryLook(sceneSpec, rng);
    applyCategory(k, sceneSpec, rng);
    // A phone's lens focused on the card: the table blurs as it recedes.
    k.dofScale = rng.uniform(4.0, 10.0) * sizeScale(sceneSpec);
    applyPins(k, sceneSpec);
    return k;
}

// ---- Geometry ----------------------------------------------------------------------------

// The homography taking four points onto four others, solved in double precision (the float
// overload of cv::getPerspectiveTransform would round the ground truth).
std::optional<cv::Matx33d> homographyFrom(const std::array<cv::Point2d, 4> &from,
                                          const std::array<cv::Point2d, 4> &to)
{
    cv::Matx<double, 8, 8> A;
    cv::Vec<double, 8> b;
    for (int i = 0; i < 4; ++i) {
        const double x = from[size_t(i)].x, y = from[size_t(i)].y;
        const double u = to[size_t(i)].x, v = to[size_t(i)].y;
        const double r0[] = {x, y, 1, 0, 0, 0, -u * x, -u * y};
        const double r1[] = {0, 0, 0, x, y, 1, -v * x, -v * y};
        for (int j = 0; j < 8; ++j) {
            A(2 * i, j) = r0[j];
            A(2 * i + 1, j) = r1[j];
        }
        b[2 * i] = u;
        b[2 * i + 1] = v;
    }
    cv::Vec<double, 8> h;
    if (!cv::solve(A, b, h, cv::DECOMP_LU))
        return std::nullopt;
    return cv::Matx33d(h[0], h[1], h[2], h[3], h[4], h[5], h[6], h[7], 1.0);
}

cv::Matx33d rotX(double a)
{
    return {1, 0, 0, 0, std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a)};
}

cv::Matx33d rotZ(double a)
{
    return {std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a), 0, 0, 0, 1};
}

// A pinhole camera looking at the table; the world is the card's own plane (millimetres, z
// pointing into the table), so the homography maps card millimetres to image pixels.
struct Camera
{
    cv::Matx33d K;
    cv::Matx33d R;
    cv::Vec3d t;

    [[nodiscard]] cv::Matx33d homography() const
    {
        const cv::Matx33d Rt(R(0, 0), R(0, 1), t[0], R(1, 0), R(1, 1), t[1], R(2, 0), R(2, 1),
                             t[2]);
        // Continuous image coordinates: the principal point is the image centre W/2, H/2.
        return K * Rt;
    }

    // Depth along the ray through an image point to the table; negative when the ray misses.
    [[nodiscard]] double depthAt(cv::Point2d px) const
    {
        const cv::Vec3d d = K.inv() * cv::Vec3d(px.x, px.y, 1.0);
        const cv::Vec3d n = R * cv::Vec3d(0, 0, 1);
        const double den = n.dot(d);
        if (std::abs(den) < 1e-12)
            return -1.0;
        return n.dot(t) / den;
    }
};

Camera makeCamera(const Look &k, cv::Size size, double depth)
{
    Camera cam;
    cam.K = cv::Matx33d(k.focalPx, 0, size.width * 0.5, 0, k.focalPx, size.height * 0.5, 0, 0, 1);
    cam.R = rotZ(radians(k.rollDeg)) * rotX(-radians(k.tiltDeg)) * rotZ(radians(k.yawDeg));
    const cv::Vec3d centre(cardWidthMm * 0.5, cardHeightMm * 0.5, 0);
    const cv::Vec3d ray = cam.K.inv() * cv::Vec3d(k.cardCentre.x, k.cardCentre.y, 1.0);
    cam.t = depth * ray - cam.R * centre;
    return cam;
}

double meanLongEdge(const PlaneRaster &raster)
{
    const auto img = [&](int i) { return raster.toImage(cardOutline[size_t(i)]); };
    return 0.5 * (cv::norm(img(1) - img(0)) + cv::norm(img(2) - img(3)));
}

// The table must fill the frame in front of the camera, with no horizon in the picture and no
// part of it absurdly far away.
bool tableFillsFrame(const Camera &cam, cv::Size size, const Look &k)
{
    const double centreDepth = cam.depthAt(k.cardCentre);
    if (centreDepth <= 0)
        return false;
    for (const cv::Point2d p :
         {cv::Point2d(0, 0), cv::Point2d(size.width, 0), cv::Point2d(size.width, size.height),
          cv::Point2d(0, size.height)}) {
        const double d = cam.depthAt(p);
        if (d <= 0 || d > 4.0 * centreDepth)
            return false;
    }
    return true;
}

bool insideImage(cv::Point2d p, cv::Size size, double margin)
{
    return p.x >= margin && p.y >= margin && p.x <= size.width - margin &&
           p.y <= size.height - margin;
}

// A rectangle lying on the table: origin corner, unit axes, size, corner radius.
struct PlaneRect
{
    cv::Point2d origin;
    cv::Point2d ex;
    cv::Point2d ey;
    double w = 0;
    double h = 0;
    double r = 0;

    static PlaneRect centred(cv::Point2d centre, double angle, double w, double h, double r)
    {
        PlaneRect p;
        p.ex = {std::cos(angle), std::sin(angle)};
        p.ey = {-std::sin(angle), std::cos(angle)};
        p.origin = centre - p.ex * (w * 0.5) - p.ey * (h * 0.5);
        p.w = w;
        p.h = h;
        p.r = r;
        return p;
    }
    [[nodiscard]] cv::Point2d local(double x, double y) const
    {
        const cv::Point2d d(x - origin.x, y - origin.y);
        return {d.dot(ex), d.dot(ey)};
    }
    [[nodiscard]] PlaneDistance distance(double x, double y) const
    {
        const cv::Point2d l = local(x, y);
        const PlaneDistance s = roundedRectDistance(l.x, l.y, w, h, r);
        const cv::Point2d n = ex * s.nx + ey * s.ny;
        return {s.d, n.x, n.y};
    }
    [[nodiscard]] std::vector<cv::Point2d> polygon(double grow = 0) const
    {
        const cv::Point2d o = origin - ex * grow - ey * grow;
        const double W = w + 2 * grow, H = h + 2 * grow;
        return {o, o + ex * W, o + ex * W + ey * H, o + ey * H};
    }
};

bool segmentsCross(cv::Point2d a, cv::Point2d b, cv::Point2d c, cv::Point2d d)
{
    const auto cross = [](cv::Point2d u, cv::Point2d v) { return u.x * v.y - u.y * v.x; };
    const double d1 = cross(b - a, c - a), d2 = cross(b - a, d - a);
    const double d3 = cross(d - c, a - c), d4 = cross(d - c, b - c);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
}

bool insideConvex(cv::Point2d p, const std::vector<cv::Point2d> &poly)
{
    bool pos = false, neg = false;
    for (size_t i = 0; i < poly.size(); ++i) {
        const cv::Point2d a = poly[i], b = poly[(i + 1) % poly.size()];
        const double c = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        pos |= c > 0;
        neg |= c < 0;
    }
    return !(pos && neg);
}

bool overlap(const std::vector<cv::Point2d> &a, const std::vector<cv::Point2d> &b)
{
    for (const auto &p : a)
        if (insideConvex(p, b))
            return true;
    for (const auto &p : b)
        if (insideConvex(p, a))
            return true;
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < b.size(); ++j)
            if (segmentsCross(a[i], a[(i + 1) % a.size()], b[j], b[(j + 1) % b.size()]))
                return true;
    return false;
}

std::vector<cv::Point2d> cardPolygon(double grow)
{
    return PlaneRect{{0, 0}, {1, 0}, {0, 1}, cardWidthMm, cardHeightMm, 0}.polygon(grow);
}

// ---- The object of known length ------------------------------------------------------------

struct Stick
{
    SceneObjectKind kind = SceneObjectKind::Pen;
    cv::Point2d a; // the tip, the "from" end
    cv::Point2d b;
    double halfWidth = 4.5;
    cv::Vec3f colour;

    [[nodiscard]] double length() const { return cv::norm(b - a); }
    [[nodiscard]] cv::Point2d dir() const { return (b - a) / length(); }
    [[nodiscard]] cv::Point2d perp() const { return {-dir().y, dir().x}; }
    [[nodiscard]] std::vector<cv::Point2d> polygon(double grow) const
    {
        const cv::Point2d d = dir() * grow, p = perp() * (halfWidth + grow);
        return {a - d - p, b + d - p, b + d + p, a - d + p};
    }
    // Radius of the round object at distance u from the tip.
    [[nodiscard]] double radius(double u) const
    {
        const double L = length();
        if (kind == SceneObjectKind::Pencil) {
            if (u < 4.0)
                return 0.3 + 0.5 * u / 4.0;
            if (u < 20.0)
                return 0.8 + (halfWidth - 0.8) * (u - 4.0) / 16.0;
            return halfWidth;
        }
        if (u < 2.5)
            return 0.35 + 0.85 * u / 2.5;
        if (u < 14.0)
            return 1.2 + (halfWidth - 1.2) * (u - 2.5) / 11.5;
        if (u > L - 1.5) {
            const double e = (u - (L - 1.5)) / 1.5;
            return halfWidth * std::sqrt(std::max(0.0, 1.0 - 0.6 * e * e));
        }
        return halfWidth;
    }
    [[nodiscard]] PlaneDistance distance(double x, double y) const
    {
        const cv::Point2d d(x - a.x, y - a.y), ax = dir(), pp = perp();
        const double u = d.dot(ax), v = d.dot(pp), L = length();
        if (kind == SceneObjectKind::Ruler) {
            const PlaneDistance s = roundedRectDistance(u, v + halfWidth, L, 2 * halfWidth, 0.6);
            const cv::Point2d n = ax * s.nx + pp * s.ny;
            return {s.d, n.x, n.y};
        }
        const double side = std::abs(v) - radius(std::clamp(u, 0.0, L));
        if (side >= -u && side >= u - L) {
            const cv::Point2d n = pp * (v < 0 ? -1.0 : 1.0);
            return {side, n.x, n.y};
        }
        if (-u > u - L)
            return {-u, -ax.x, -ax.y};
        return {u - L, ax.x, ax.y};
    }
};

struct Sprite
{
    std::function<PlaneDistance(double, double)> distance;
    std::function<cv::Vec3f(double, double)> colour;
    std::vector<cv::Point2d> polygon;
    // How far the shadow falls from the light, how soft it is, and how dark.
    struct Shadow
    {
        double offsetMm = 1.0;
        double sigmaMm = 1.0;
        double strength = 0.3;
    } shadow;
};

cv::Vec3f cylinderShade(cv::Vec3f base, double t, double gloss)
{
    t = std::clamp(t, -1.0, 1.0);
    const double diffuse = 0.5 + 0.5 * std::sqrt(1.0 - t * t);
    const double sceneSpec = gloss * std::exp(-std::pow((t + 0.35) / 0.14, 2.0));
    return base * float(diffuse) + cv::Vec3f::all(float(sceneSpec));
}

Sprite stickSprite(const Stick &s, double ppm, SceneRng &rng)
{
    Sprite sp;
    sp.distance = [s](double x, double y) { return s.distance(x, y); };
    sp.polygon = s.polygon(1.0);
    if (s.kind == SceneObjectKind::Ruler) {
        const double texScale = std::clamp(ppm * 1.2, 4.0, 24.0);
        const double margin = 1.0;
        auto tex = std::make_shared<cv::Mat>(
            rulerTexture(s.length(), 2 * s.halfWidth, texScale, margin, rng));
        sp.colour = [s, tex, texScale, margin](double x, double y) {
            const cv::Point2d d(x - s.a.x, y - s.a.y);
            const double u = d.dot(s.dir()), v = d.dot(s.perp()) + s.halfWidth;
            return sampleTexture(*tex, (u + margin) * texScale, (v + margin) * texScale);
        };
        sp.shadow = {0.6, 0.7, 0.3};
        return sp;
    }
    const cv::Vec3f body = s.colour;
    const bool pencil = s.kind == SceneObjectKind::Pencil;
    sp.colour = [s, body, pencil](double x, double y) -> cv::Vec3f {
        const cv::Point2d d(x - s.a.x, y - s.a.y);
        const double u = d.dot(s.dir()), v = d.dot(s.perp()), L = s.length();
        const double r = std::max(s.radius(std::clamp(u, 0.0, L)), 1e-3);
        const double t = v / r;
        if (pencil) {
            if (u < 4.0)
                return cylinderShade({0.16f, 0.16f, 0.17f}, t, 0.25);
            if (u < 20.0)
                return cylinderShade({0.50f, 0.70f, 0.85f}, t, 0.05);
            if (u > L - 7.0)
                return cylinderShade({0.55f, 0.55f, 0.90f}, t, 0.05);
            if (u > L - 14.0)
                return cylinderShade({0.72f, 0.74f, 0.76f}, t, 0.5);
            // Hexagonal body: three flat faces seen from above.
            const float face = std::abs(t) < 0.5 ? 1.0f : t < 0 ? 0.82f : 0.64f;
            return body * face + cv::Vec3f::all(std::abs(t + 0.1) < 0.06 ? 0.08f : 0.0f);
        }
        if (u < 2.5)
            return cylinderShade({0.70f, 0.70f, 0.72f}, t, 0.6);
        if (u < 36.0)
            return cylinderShade(body * 0.35f, t, 0.3);
        // The clip runs along the top of the barrel near the end.
        if (u > L - 48.0 && u < L - 6.0 && std::abs(v) < 1.3)
            return cylinderShade({0.78f, 0.78f, 0.80f}, v / 1.3, 0.6);
        return cylinderShade(body, t, 0.45);
    };
    sp.shadow = {s.halfWidth * 0.7, s.halfWidth * 0.45, 0.4};
    return sp;
}

// ---- Distractors -------------------------------------------------------------------------

enum class DistractorKind
{
    Paper,
    Box,
    Phone,
    Frame,
    // Office clutter seen beside cards in real photos.
    StickyNote,
    MemoryModule,
    Notebook
};

// A sheet of paper, most often printed with lines of words.
Sprite paperSprite(const PlaneRect &rect, SceneRng &rng)
{
    Sprite sp;
    const float g = float(rng.uniform(0.9, 0.97));
    const quint64 salt = rng.next();
    const bool printed = rng.chance(0.7);
    sp.colour = [rect, g, salt, printed](double x, double y) -> cv::Vec3f {
        const cv::Point2d l = rect.local(x, y);
        const cv::Vec3f paper(g * 0.97f, g, g);
        if (!printed || l.x < 20 || l.x > rect.w - 20 || l.y < 25 || l.y > rect.h - 25)
            return paper;
        const int row = int((l.y - 25) / 6.0);
        const double inRow = l.y - 25 - row * 6.0;
        if (inRow > 2.2)
            return paper;
        const int word = int((l.x - 20) / 9.0);
        const quint64 hsh = (salt ^ (quint64(row) * 0x9E3779B97F4A7C15ull) ^
                             (quint64(word) * 0xC2B2AE3D27D4EB4Full)) *
                            0xBF58476D1CE4E5B9ull;
        const double gapAt = 5.0 + double(hsh >> 60) * 0.25;
        if (std::fmod(l.x - 20, 9.0) > gapAt || (hsh & 7) == 0)
            return paper;
        return paper * 0.35f;
    };
    sp.shadow = {0.3, 0.6, 0.15};
    return sp;
}

// A cardboard box with a band of tape and a white label.
Sprite boxSprite(const PlaneRect &rect, SceneRng &rng)
{
    Sprite sp;
    const cv::Vec3f cardboard(float(rng.uniform(0.32, 0.42)), float(rng.uniform(0.5, 0.6)),
                              float(rng.uniform(0.66, 0.76)));
    // The tape and the box's edges bound a rectangle; keep it well away from the card's
    // proportions.
    const double tape = std::min(rng.uniform(40, 50), rect.w / 2.3);
    sp.colour = [rect, cardboard, tape](double x, double y) -> cv::Vec3f {
        const cv::Point2d l = rect.local(x, y);
        if (std::abs(l.y - rect.h * 0.5) < tape * 0.5)
            return cardboard * 0.85f + cv::Vec3f::all(0.06f);
        if (l.x > 12 && l.x < 62 && l.y > 8 && l.y < 30)
            return {0.92f, 0.92f, 0.92f};
        return cardboard;
    };
    sp.shadow = {rng.uniform(10, 20), rng.uniform(5, 9), 0.45};
    return sp;
}

// A phone face up, its screen dark or showing a wallpaper and a grid of app icons.
Sprite phoneSprite(const PlaneRect &rect, SceneRng &rng)
{
    Sprite sp;
    const bool on = rng.chance(0.7);
    const cv::Vec3f wallA(float(rng.uniform(0.3, 1)), float(rng.uniform(0.2, 1)),
                          float(rng.uniform(0.2, 1)));
    const cv::Vec3f wallB(float(rng.uniform(0, 0.6)), float(rng.uniform(0, 0.6)),
                          float(rng.uniform(0, 0.6)));
    sp.colour = [rect, on, wallA, wallB](double x, double y) -> cv::Vec3f {
        const cv::Point2d l = rect.local(x, y);
        const PlaneDistance screen =
            roundedRectDistance(l.x - 3.5, l.y - 3.5, rect.w - 7.0, rect.h - 7.0, 6.0);
        if (screen.d > 0)
            return {0.05f, 0.05f, 0.06f};
        if (!on)
            return {0.09f, 0.09f, 0.1f};
        const double t = l.y / rect.h;
        cv::Vec3f c = wallA * float(1 - t) + wallB * float(t);
        // A grid of app icons.
        const double gx = std::fmod(l.x - 8.0, 16.0), gy = std::fmod(l.y - 20.0, 18.0);
        if (l.x > 8 && l.x < rect.w - 8 && l.y > 20 && l.y < rect.h - 30 && gx < 11 && gy < 11)
            c = cv::Vec3f(0.9f, 0.9f, 0.9f) - c * 0.5f;
        return c;
    };
    sp.shadow = {3, 2, 0.4};
    return sp;
}

Sprite stickyNoteSprite(SceneRng &rng)
{
    Sprite sp;
    static const cv::Vec3f colours[] = {{0.2f, 0.85f, 0.95f}, {0.6f, 0.3f, 0.95f},
                                        {0.3f, 0.9f, 0.4f},   {0.9f, 0.55f, 0.2f},
                                        {0.55f, 0.3f, 0.95f}, {0.35f, 0.95f, 0.95f}};
    const cv::Vec3f colour = colours[rng.integer(0, 5)];
    sp.colour = [colour](double, double) { return colour; };
    sp.shadow = {0.3, 0.5, 0.2};
    return sp;
}

Sprite memoryModuleSprite(const PlaneRect &rect)
{
    Sprite sp;
    sp.colour = [rect](double x, double y) -> cv::Vec3f {
        const cv::Point2d l = rect.local(x, y);
        if (l.y > rect.h - 4.5 && std::fmod(l.x, 1.0) < 0.6)
            return {0.25f, 0.65f, 0.85f}; // gold contacts
        const double chip = std::fmod(l.x - 6.0, 16.0);
        if (l.x > 6 && l.x < rect.w - 6 && chip < 10.0 && l.y > 6 && l.y < rect.h - 10)
            return {0.06f, 0.06f, 0.07f};
        return {0.15f, 0.35f, 0.12f}; // green board
    };
    sp.shadow = {1.0, 1.0, 0.3};
    return sp;
}

Sprite notebookSprite(const PlaneRect &rect, SceneRng &rng)
{
    Sprite sp;
    const cv::Vec3f cover(float(rng.uniform(0.1, 0.8)), float(rng.uniform(0.1, 0.8)),
                          float(rng.uniform(0.1, 0.8)));
    sp.colour = [rect, cover](double x, double y) -> cv::Vec3f {
        const cv::Point2d l = rect.local(x, y);
        // A label on the cover.
        if (l.x > rect.w * 0.3 && l.x < rect.w * 0.7 && l.y > rect.h * 0.15 && l.y < rect.h * 0.3)
            return {0.92f, 0.92f, 0.9f};
        return cover;
    };
    sp.shadow = {2, 1.5, 0.35};
    return sp;
}

// A picture frame: a dark or blue border, a white mat and a smooth abstract picture.
Sprite frameSprite(const PlaneRect &rect, SceneRng &rng)
{
    Sprite sp;
    const double border = rng.uniform(12, 20);
    const cv::Vec3f frame =
        rng.chance(0.5) ? cv::Vec3f(0.08f, 0.08f, 0.08f) : cv::Vec3f(0.25f, 0.42f, 0.6f);
    const cv::Vec3f a(float(rng.uniform(0.2, 0.9)), float(rng.uniform(0.2, 0.9)),
                      float(rng.uniform(0.2, 0.9)));
    const cv::Vec3f b(float(rng.uniform(0.1, 0.7)), float(rng.uniform(0.1, 0.7)),
                      float(rng.uniform(0.1, 0.7)));
    const double fx = rng.uniform(0.02, 0.08), fy = rng.uniform(0.02, 0.08);
    sp.colour = [rect, border, frame, a, b, fx, fy](double x, double y) -> cv::Vec3f {
        const cv::Point2d l = rect.local(x, y);
        const double in = std::min({l.x, l.y, rect.w - l.x, rect.h - l.y});
        if (in < border)
            return frame * float(0.85 + 0.3 * in / border);
        if (in < border + 8)
            return {0.93f, 0.94f, 0.95f};
        const double m = 0.5 + 0.5 * std::sin(l.x * fx + std::cos(l.y * fy) * 3.0);
        return a * float(m) + b * float(1 - m);
    };
    sp.shadow = {4, 3, 0.4};
    return sp;
}

// The face and shadow of each kind of distractor; distractorSprite adds the outline.
Sprite distractorFace(DistractorKind kind, const PlaneRect &rect, SceneRng &rng)
{
    switch (kind) {
    case DistractorKind::Paper:
        return paperSprite(rect, rng);
    case DistractorKind::Box:
        return boxSprite(rect, rng);
    case DistractorKind::Phone:
        return phoneSprite(rect, rng);
    case DistractorKind::StickyNote:
        return stickyNoteSprite(rng);
    case DistractorKind::MemoryModule:
        return memoryModuleSprite(rect);
    case DistractorKind::Notebook:
        return notebookSprite(rect, rng);
    case DistractorKind::Frame:
        return frameSprite(rect, rng);
    }
    return {};
}

Sprite distractorSprite(DistractorKind kind, const PlaneRect &rect, SceneRng &rng)
{
    Sprite sp = distractorFace(kind, rect, rng);
    sp.distance = [rect](double x, double y) { return rect.distance(x, y); };
    sp.polygon = rect.polygon(1.0);
    return sp;
}

PlaneRect distractorShape(DistractorKind kind, cv::Point2d centre, double angle, SceneRng &rng)
{
    switch (kind) {
    case DistractorKind::Paper: {
        static const double sizes[][2] = {{210, 297}, {148, 210}, {215.9, 279.4}};
        const auto &s = sizes[rng.integer(0, 2)];
        return PlaneRect::centred(centre, angle, s[0], s[1], 0.5);
    }
    case DistractorKind::Box: {
        const double w = rng.uniform(90, 200);
        const double aspect = rng.chance(0.6) ? rng.uniform(1.0, 1.3) : rng.uniform(1.95, 2.4);
        return PlaneRect::centred(centre, angle, w, w / aspect, 1.5);
    }
    case DistractorKind::Phone:
        return PlaneRect::centred(centre, angle, 71.5, 147.0, 9.0);
    case DistractorKind::StickyNote: {
        // Index flags and square notes: sharp corners, other proportions.
        if (rng.chance(0.6))
            return PlaneRect::centred(centre, angle, 44.0, 12.0, 0.3);
        return PlaneRect::centred(centre, angle, 76.0, 76.0, 0.4);
    }
    case DistractorKind::MemoryModule:
        return PlaneRect::centred(centre, angle, 133.35, 31.25, 0.8);
    case DistractorKind::Notebook: {
        // Larger than the card, some of nearly its proportions, with barely rounded corners.
        const double w = rng.uniform(140, 210);
        return PlaneRect::centred(centre, angle, w, w / rng.uniform(1.4, 1.62), 1.5);
    }
    case DistractorKind::Frame: {
        // Squarish frames: the opening of a 13 x 18 frame would have the card's proportions,
        // and a scene without a card must not contain a card-shaped rectangle.
        static const double sizes[][2] = {{150, 150}, {200, 240}, {180, 200}};
        const auto &s = sizes[rng.integer(0, 2)];
        return PlaneRect::centred(centre, angle, s[0], s[1], 1.0);
    }
    }
    return {};
}

// ---- Image-space helpers -----------------------------------------------------------------

void paintSprite(cv::Mat &canvas, const PlaneRaster &raster, const Sprite &sp, double lightX,
                 double lightY, double strengthScale, double blurMaskPx = 0.0)
{
    const cv::Rect rect = raster.bounds(sp.polygon, canvas.size(), 3);
    if (rect.empty())
        return;
    cv::Mat mask = raster.coverage(rect, sp.distance);
    if (blurMaskPx > 0.3)
        cv::GaussianBlur(mask, mask, cv::Size(), blurMaskPx);
    // Shadow offset and softness measured at the shape's middle.
    cv::Point2d c(0, 0);
    for (const auto &p : sp.polygon)
        c += p;
    c *= 1.0 / double(sp.polygon.size());
    const cv::Point2d off =
        raster.toImage(c + cv::Point2d(lightX, lightY) * sp.shadow.offsetMm) - raster.toImage(c);
    const double ppm = raster.pixelsPerMm(c);
    castShadow(canvas, rect, mask, off, sp.shadow.sigmaMm * ppm, sp.shadow.strength * strengthScale);
    raster.composite(canvas, rect, mask, sp.colour);
}

cv::Mat motionKernel(double length, double angleDeg)
{
    const int half = int(std::ceil(length * 0.5)) + 1;
    cv::Mat k = cv::Mat::zeros(2 * half + 1, 2 * half + 1, CV_32F);
    const double a = radians(angleDeg);
    const int steps = std::max(8, int(length * 8));
    // Sample the segment densely with bilinear splats so the kernel stays centred.
    for (int i = 0; i <= steps; ++i) {
        const double s = (double(i) / steps - 0.5) * length;
        const double x = half + s * std::cos(a), y = half + s * std::sin(a);
        const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        const float fx = float(x - x0), fy = float(y - y0);
        k.at<float>(y0, x0) += (1 - fx) * (1 - fy);
        k.at<float>(y0, x0 + 1) += fx * (1 - fy);
        k.at<float>(y0 + 1, x0) += (1 - fx) * fy;
        k.at<float>(y0 + 1, x0 + 1) += fx * fy;
    }
    return k / cv::sum(k)[0];
}

cv::Mat diskKernel(double radius)
{
    const int half = int(std::ceil(radius)) + 1;
    cv::Mat k(2 * half + 1, 2 * half + 1, CV_32F);
    for (int y = -half; y <= half; ++y)
        for (int x = -half; x <= half; ++x)
            k.at<float>(y + half, x + half) =
                float(std::clamp(radius + 0.5 - std::hypot(x, y), 0.0, 1.0));
    return k / cv::sum(k)[0];
}

QImage toQImage(const cv::Mat &bgr8)
{
    QImage img(bgr8.cols, bgr8.rows, QImage::Format_RGB32);
    for (int r = 0; r < bgr8.rows; ++r) {
        const cv::Vec3b *in = bgr8.ptr<cv::Vec3b>(r);
        QRgb *out = reinterpret_cast<QRgb *>(img.scanLine(r));
        for (int c = 0; c < bgr8.cols; ++c)
            out[c] = qRgb(in[c][2], in[c][1], in[c][0]);
    }
    return img;
}

QImage jpegRoundTrip(const QImage &img, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPG", quality);
    QImage decoded;
    decoded.loadFromData(bytes, "JPG");
    return decoded.convertToFormat(QImage::Format_RGB32);
}

std::array<QPointF, 4> screenOrder(const std::array<cv::Point2d, 4> &pts, bool &firstEdgeLong)
{
    cv::Point2d c(0, 0);
    for (const auto &p : pts)
        c += p * 0.25;
    std::array<int, 4> idx{0, 1, 2, 3};
    // Increasing angle in y-down coordinates runs clockwise on screen.
    std::sort(idx.begin(), idx.end(), [&](int a, int b) {
        return std::atan2(pts[size_t(a)].y - c.y, pts[size_t(a)].x - c.x) <
               std::atan2(pts[size_t(b)].y - c.y, pts[size_t(b)].x - c.x);
    });
    int first = 0;
    for (int i = 1; i < 4; ++i) {
        const auto &p = pts[size_t(idx[size_t(i)])], &q = pts[size_t(idx[size_t(first)])];
        if (p.x + p.y < q.x + q.y)
            first = i;
    }
    std::array<QPointF, 4> out;
    for (int i = 0; i < 4; ++i)
        out[size_t(i)] = toQt(pts[size_t(idx[size_t((first + i) % 4)])]);
    const int a = idx[size_t(first)], b = idx[size_t((first + 1) % 4)];
    // Plane corners 0-1 and 2-3 are joined by the long edges.
    firstEdgeLong = (std::min(a, b) == 0 && std::max(a, b) == 1) ||
                    (std::min(a, b) == 2 && std::max(a, b) == 3);
    return out;
}

// ---- Layout: camera, object, distractors, finger ------------------------------------------

// A finger from above, its tip on the card, and the hand behind it.
struct Hand
{
    cv::Point2d tip;
    cv::Point2d dir;
    double radius = 8.5;
    double length = 260; // tip to the far end of the hand
    static constexpr double fingerLength = 70;

    [[nodiscard]] double handRadius() const { return 3.2 * radius; }
    [[nodiscard]] std::vector<cv::Point2d> polygon(double grow) const
    {
        const cv::Point2d side(-dir.y, dir.x);
        const double w = handRadius() + grow;
        const cv::Point2d back = tip - dir * (radius + grow), front = tip + dir * (length + grow);
        return {back - side * w, back + side * w, front + side * w, front - side * w};
    }
    [[nodiscard]] PlaneDistance distance(double x, double y) const
    {
        const auto capsule = [x, y](cv::Point2d a, cv::Point2d b, double r) -> PlaneDistance {
            const cv::Point2d p(x, y), d = b - a;
            const double t = std::clamp((p - a).dot(d) / d.dot(d), 0.0, 1.0);
            const cv::Point2d q = p - (a + d * t);
            const double len = std::max(cv::norm(q), 1e-9);
            return {len - r, q.x / len, q.y / len};
        };
        const PlaneDistance finger = capsule(tip, tip + dir * fingerLength, radius);
        const PlaneDistance palm = capsule(tip + dir * (fingerLength + handRadius() * 0.7),
                                           tip + dir * length, handRadius());
        // A smooth union, so the finger grows out of the hand instead of being stuck on.
        const double k = 10.0;
        const double h = std::clamp(0.5 + 0.5 * (palm.d - finger.d) / k, 0.0, 1.0);
        const double nx = palm.nx + (finger.nx - palm.nx) * h;
        const double ny = palm.ny + (finger.ny - palm.ny) * h;
        const double len = std::max(std::hypot(nx, ny), 1e-9);
        return {palm.d + (finger.d - palm.d) * h - k * h * (1 - h), nx / len, ny / len};
    }
};

struct Layout
{
    cv::Matx33d H; // card millimetres -> image pixels
    Stick stick;
    std::vector<std::pair<DistractorKind, PlaneRect>> distractors;
    bool finger = false;
    Hand hand;
    std::optional<Hand> thumb;    // over the opposite edge, when the card is held
    std::optional<Camera> camera; // absent when the card's corners were pinned
};

std::optional<Stick> placeStick(const SceneSpec &sceneSpec, const Look &k,
                                const PlaneRaster &raster, const Camera *cam, SceneRng &rng)
{
    const cv::Size size(sceneSpec.width, sceneSpec.height);
    Stick s;
    s.kind = k.objectKind;
    static const cv::Vec3f penColours[] = {{0.55f, 0.2f, 0.05f}, {0.08f, 0.08f, 0.08f},
                                           {0.1f, 0.1f, 0.7f},   {0.85f, 0.85f, 0.85f},
                                           {0.2f, 0.5f, 0.15f},  {0.6f, 0.6f, 0.62f}};
    s.colour = k.objectKind == SceneObjectKind::Pencil ? cv::Vec3f(0.1f, 0.72f, 0.92f)
                                                       : penColours[rng.integer(0, 5)];
    s.halfWidth = k.objectKind == SceneObjectKind::Pen      ? rng.uniform(4.0, 5.0)
                  : k.objectKind == SceneObjectKind::Pencil ? 3.6
                                                            : (rng.chance(0.5) ? 12.5 : 9.0);
    if (sceneSpec.objectEnds) {
        s.a = raster.toPlane(toCv((*sceneSpec.objectEnds)[0]));
        s.b = raster.toPlane(toCv((*sceneSpec.objectEnds)[1]));
        return s;
    }
    double length = k.objectKind == SceneObjectKind::Pen      ? rng.uniform(130, 148)
                    : k.objectKind == SceneObjectKind::Pencil ? rng.uniform(160, 190)
                                                              : rng.uniform(140, 200);
    const double margin = 0.04 * std::min(size.width, size.height);
    for (int attempt = 0; attempt < 400; ++attempt) {
        // A cramped frame (a large card, pinned corners) gets a shorter object.
        if (attempt % 50 == 49)
            length *= 0.85;
        const cv::Point2d px(rng.uniform(0.1, 0.9) * size.width,
                             rng.uniform(0.1, 0.9) * size.height);
        if (cam && cam->depthAt(px) <= 0)
            continue;
        const cv::Point2d c = raster.toPlane(px);
        const double angle = k.freeObjectAngle
                                 ? rng.uniform(0, 2 * pi)
                                 : (rng.chance(0.5) ? 0.0 : pi / 2) + radians(rng.uniform(-20, 20));
        const cv::Point2d d(std::cos(angle), std::sin(angle));
        s.a = c - d * (length * 0.5);
        s.b = c + d * (length * 0.5);
        if (rng.chance(0.5))
            std::swap(s.a, s.b);
        if (!insideImage(raster.toImage(s.a), size, margin) ||
            !insideImage(raster.toImage(s.b), size, margin))
            continue;
        if (k.hasCard && overlap(s.polygon(6.0), cardPolygon(0)))
            continue;
        return s;
    }
    return std::nullopt;
}

// The camera that shows the card at the look's size and pose; none when the table does not
// fill the frame.
std::optional<Camera> cameraForLook(const Look &k, cv::Size size)
{
    // Perspective changes the card's size in the picture: correct the distance a few times.
    double depth = k.focalPx * cardWidthMm / (k.widthFraction * size.width);
    Camera c = makeCamera(k, size, depth);
    for (int i = 0; i < 5; ++i) {
        const double measured = meanLongEdge(PlaneRaster(c.homography()));
        depth *= measured / (k.widthFraction * size.width);
        c = makeCamera(k, size, depth);
    }
    if (!tableFillsFrame(c, size, k))
        return std::nullopt;
    return c;
}

// The card's homography, from its pinned corners or from a camera; false when neither works.
bool placeCard(Layout &layout, const SceneSpec &sceneSpec, const Look &k)
{
    if (sceneSpec.cardCorners) {
        std::array<cv::Point2d, 4> pinned;
        for (size_t i = 0; i < 4; ++i)
            pinned[i] = toCv((*sceneSpec.cardCorners)[i]);
        const auto h = homographyFrom(cardOutline, pinned);
        if (!h)
            return false;
        layout.H = *h;
        return true;
    }
    layout.camera = cameraForLook(k, cv::Size(sceneSpec.width, sceneSpec.height));
    if (!layout.camera)
        return false;
    layout.H = layout.camera->homography();
    return true;
}

// The whole card well inside the picture, or for a card running off it, over the border with
// its middle still in the picture.
bool cardFramed(const PlaneRaster &raster, cv::Size size, const Look &k)
{
    const double margin = 0.02 * std::min(size.width, size.height);
    int outside = 0;
    for (const auto &p : cardOutline)
        outside += !insideImage(raster.toImage(p), size, k.partial ? -margin : margin);
    const cv::Point2d middle = raster.toImage({cardWidthMm / 2, cardHeightMm / 2});
    return k.partial ? outside != 0 && insideImage(middle, size, margin) : outside == 0;
}

// Every corner in front of the camera and no nearer to it than a quarter of the card's depth.
bool wellInFront(const cv::Matx33d &H, const std::vector<cv::Point2d> &polygon)
{
    const cv::Vec3d centre = H * cv::Vec3d(cardWidthMm / 2, cardHeightMm / 2, 1);
    for (const auto &p : polygon) {
        const cv::Vec3d q = H * cv::Vec3d(p.x, p.y, 1.0);
        if (q[2] / centre[2] <= 0.25)
            return false;
    }
    return true;
}

// The sheet under the card: the card lies well inside it.
PlaneRect sheetUnderCard(SceneRng &rng)
{
    SceneRng sheetRng = rng.fork();
    const cv::Point2d middle(cardWidthMm / 2 + rng.uniform(-30, 30),
                             cardHeightMm / 2 + rng.uniform(-30, 30));
    return distractorShape(DistractorKind::Paper, middle, rng.uniform(-0.3, 0.3), sheetRng);
}

DistractorKind anyDistractorKind(bool clutter, SceneRng &rng)
{
    static const DistractorKind officeClutter[] = {
        DistractorKind::StickyNote, DistractorKind::StickyNote, DistractorKind::MemoryModule,
        DistractorKind::Notebook,   DistractorKind::Phone,      DistractorKind::Box};
    return clutter ? officeClutter[rng.integer(0, 5)] : DistractorKind(rng.integer(0, 3));
}

// A distractor somewhere on the table in view, clear of the shapes already taken; none when
// 200 tries find no room.
std::optional<PlaneRect> placeDistractor(DistractorKind kind, const Layout &layout,
                                         const PlaneRaster &raster, cv::Size size,
                                         const std::vector<std::vector<cv::Point2d>> &taken,
                                         SceneRng &rng)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const cv::Point2d px(rng.uniform(0, 1) * size.width, rng.uniform(0, 1) * size.height);
        if (layout.camera && layout.camera->depthAt(px) <= 0)
            continue;
        SceneRng shapeRng = rng.fork();
        const PlaneRect rect =
            distractorShape(kind, raster.toPlane(px), rng.uniform(0, 2 * pi), shapeRng);
        const auto poly = rect.polygon(0);
        bool ok = wellInFront(layout.H, poly);
        for (const auto &t : taken)
            ok = ok && !overlap(poly, t);
        if (ok)
            return rect;
    }
    return std::nullopt;
}

// The sheet under the card, if any, and the other things on the table, clear of the card, the
// object and one another.
void placeDistractors(Layout &layout, const Look &k, const PlaneRaster &raster, cv::Size size,
                      SceneRng &rng)
{
    if (k.onPaper && k.hasCard)
        layout.distractors.emplace_back(DistractorKind::Paper, sheetUnderCard(rng));
    std::vector<std::vector<cv::Point2d>> taken;
    if (k.hasCard)
        taken.push_back(cardPolygon(k.clutter ? 1.0 : 8.0));
    taken.push_back(layout.stick.polygon(5.0));
    for (int i = 0; i < k.distractors; ++i) {
        const DistractorKind kind = anyDistractorKind(k.clutter, rng);
        if (const auto rect = placeDistractor(kind, layout, raster, size, taken, rng)) {
            layout.distractors.emplace_back(kind, *rect);
            taken.push_back(rect->polygon(k.clutter ? 1.0 : 3.0));
        }
    }
}

// The unit normal of a card edge (corner `edge` to the next), pointing away from the card.
cv::Point2d edgeOutward(size_t edge)
{
    const cv::Point2d a = cardOutline[edge], b = cardOutline[(edge + 1) % 4];
    const cv::Point2d along = (b - a) / cv::norm(b - a);
    return {along.y, -along.x};
}

cv::Point2d turned(cv::Point2d v, double angle)
{
    return {v.x * std::cos(angle) - v.y * std::sin(angle),
            v.x * std::sin(angle) + v.y * std::cos(angle)};
}

// A finger holding the card down reaches in from the nearest side of the frame, now and then
// from another.
size_t fingerEdge(const PlaneRaster &raster, cv::Size size, SceneRng &rng)
{
    std::array<double, 4> reach{};
    for (size_t e = 0; e < 4; ++e) {
        const cv::Point2d a = cardOutline[e], b = cardOutline[(e + 1) % 4];
        const cv::Point2d outward = edgeOutward(e);
        double d = 0;
        while (d < 400 && insideImage(raster.toImage((a + b) * 0.5 + outward * d), size, 0))
            d += 5;
        reach[e] = d;
    }
    size_t edge = size_t(std::min_element(reach.begin(), reach.end()) - reach.begin());
    if (rng.chance(0.3))
        edge = size_t(rng.integer(0, 3));
    return edge;
}

// A finger pressing on the given edge, the hand behind it shortened until it is well in front
// of the camera.
Hand fingerOnEdge(size_t edge, const cv::Matx33d &H, SceneRng &rng)
{
    const cv::Point2d a = cardOutline[edge], b = cardOutline[(edge + 1) % 4];
    const cv::Point2d outward = edgeOutward(edge);
    Hand hand;
    hand.radius = rng.uniform(7.5, 9.5);
    hand.tip = a + (b - a) * rng.uniform(0.3, 0.7) - outward * rng.uniform(5.0, 9.0);
    hand.dir = turned(outward, radians(rng.uniform(-30, 30)));
    hand.length = 260;
    while (!wellInFront(H, hand.polygon(0)) && hand.length > 90)
        hand.length -= 10;
    return hand;
}

// A thumb pressing on the given edge from outside the card.
Hand thumbOnEdge(size_t edge, SceneRng &rng)
{
    const cv::Point2d a = cardOutline[edge], b = cardOutline[(edge + 1) % 4];
    const cv::Point2d outward = edgeOutward(edge);
    Hand thumb;
    thumb.radius = rng.uniform(9.5, 11.5);
    thumb.tip = a + (b - a) * rng.uniform(0.25, 0.75) - outward * rng.uniform(4.0, 8.0);
    thumb.dir = turned(outward, radians(rng.uniform(-35, 35)));
    thumb.length = 150;
    return thumb;
}

// A finger on the card and, when the card is held, the thumb on the opposite edge; false when
// either would hide the object.
bool placeHands(Layout &layout, const Look &k, const PlaneRaster &raster, cv::Size size,
                SceneRng &rng)
{
    const size_t edge = fingerEdge(raster, size, rng);
    layout.hand = fingerOnEdge(edge, layout.H, rng);
    if (overlap(layout.hand.polygon(3.0), layout.stick.polygon(3.0)))
        return false;
    layout.finger = true;
    if (k.thumb) {
        const Hand thumb = thumbOnEdge((edge + 2) % 4, rng);
        if (overlap(thumb.polygon(3.0), layout.stick.polygon(3.0)))
            return false;
        layout.thumb = thumb;
    }
    return true;
}

std::optional<Layout> makeLayout(const SceneSpec &sceneSpec, const Look &k, SceneRng &rng)
{
    const cv::Size size(sceneSpec.width, sceneSpec.height);
    Layout layout;
    if (!placeCard(layout, sceneSpec, k))
        return std::nullopt;
    const PlaneRaster raster(layout.H);
    if (k.hasCard && !sceneSpec.cardCorners && !cardFramed(raster, size, k))
        return std::nullopt;
    const auto stick =
        placeStick(sceneSpec, k, raster, layout.camera ? &*layout.camera : nullptr, rng);
    if (!stick)
        return std::nullopt;
    layout.stick = *stick;
    placeDistractors(layout, k, raster, size, rng);
    if (k.finger && k.hasCard && !placeHands(layout, k, raster, size, rng))
        return std::nullopt;
    return layout;
}

// ---- Rendering ---------------------------------------------------------------------------

void paintBackground(cv::Mat &canvas, const PlaneRaster &raster, const Look &k, bool clean,
                     SceneRng &rng)
{
    if (clean) {
        canvas.setTo(cv::Scalar::all(0));
        return;
    }
    const cv::Size size = canvas.size();
    std::vector<cv::Point2d> corners;
    double ppm = 0;
    for (const cv::Point2d p :
         {cv::Point2d(0, 0), cv::Point2d(size.width, 0), cv::Point2d(size.width, size.height),
          cv::Point2d(0, size.height), cv::Point2d(size.width / 2.0, size.height / 2.0)}) {
        const cv::Point2d q = raster.toPlane(p);
        corners.push_back(q);
        ppm = std::max(ppm, raster.pixelsPerMm(q));
    }
    const double angle = rng.uniform(0, 2 * pi);
    const cv::Matx33d rot(std::cos(angle), -std::sin(angle), 0, std::sin(angle), std::cos(angle), 0,
                          0, 0, 1);
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const auto &p : corners) {
        const cv::Vec3d q = rot * cv::Vec3d(p.x, p.y, 1);
        x0 = std::min(x0, q[0]);
        y0 = std::min(y0, q[1]);
        x1 = std::max(x1, q[0]);
        y1 = std::max(y1, q[1]);
    }
    x0 -= 10;
    y0 -= 10;
    x1 += 10;
    y1 += 10;
    // Texture resolution: the nearest part of the table at full detail, within a memory cap.
    const double cap = std::min(8.0e6, 1.3 * size.area());
    double s = ppm;
    if ((x1 - x0) * (y1 - y0) * s * s > cap)
        s = std::sqrt(cap / ((x1 - x0) * (y1 - y0)));
    // Pinned corners can put the horizon in the picture; keep the texture within what OpenCV's
    // remapping accepts (a side below 32767) rather than fail.
    s = std::min({s, 16000.0 / (x1 - x0), 16000.0 / (y1 - y0)});
    if (!std::isfinite(s) || s <= 0) {
        canvas.setTo(cv::Scalar::all(0.5));
        return;
    }
    const cv::Size texSize(int(std::ceil((x1 - x0) * s)), int(std::ceil((y1 - y0) * s)));
    const cv::Mat texture = surfaceTexture(k.surface, texSize, s, rng, k.tableLevel);
    // Image pixel index -> continuous image point -> plane -> rotated -> texture pixel index.
    const cv::Matx33d toContinuous(1, 0, 0.5, 0, 1, 0.5, 0, 0, 1);
    const cv::Matx33d toTexture(s, 0, -x0 * s - 0.5, 0, s, -y0 * s - 0.5, 0, 0, 1);
    const cv::Matx33d m = toTexture * rot * raster.imageToPlane() * toContinuous;
    cv::warpPerspective(texture, canvas, m, size, cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                        cv::BORDER_REFLECT);
}

void paintGlare(cv::Mat &canvas, cv::Rect rect, const cv::Mat &cardMask, cv::Point2d centre,
                double ra, double rb, double angle, double strength)
{
    const double ca = std::cos(angle), sa = std::sin(angle);
    for (int r = 0; r < rect.height; ++r) {
        const float *m = cardMask.ptr<float>(r);
        cv::Vec3f *o = canvas.ptr<cv::Vec3f>(rect.y + r) + rect.x;
        for (int c = 0; c < rect.width; ++c) {
            if (m[c] <= 0)
                continue;
            const double dx = rect.x + c + 0.5 - centre.x, dy = rect.y + r + 0.5 - centre.y;
            const double u = (dx * ca + dy * sa) / ra, v = (-dx * sa + dy * ca) / rb;
            const double g = strength * std::exp(-2.0 * (u * u + v * v)) * m[c];
            // A blown-out highlight: the core saturates, the halo brightens towards white.
            const cv::Vec3f lifted = o[c] + (cv::Vec3f::all(1.0f) - o[c]) * float(g);
            o[c] = lifted * float(1.0 + 0.6 * g);
        }
    }
}

// Blur that grows with the distance from the focused depth, blended from a few disc blurs
// (it varies slowly, so each edge still sees a symmetric kernel). Returns the largest radius
// over the given image points.
double applyDepthOfField(cv::Mat &canvas, const Camera &cam, double focusDepth, double scale,
                         const std::vector<cv::Point2d> &probes)
{
    const auto radiusAt = [&](cv::Point2d p) {
        const double z = cam.depthAt(p);
        return z > 0 ? std::min(16.0, scale * std::abs(1.0 - focusDepth / z)) : 16.0;
    };
    const int step = 16;
    cv::Mat coarse(canvas.rows / step + 2, canvas.cols / step + 2, CV_32F);
    for (int r = 0; r < coarse.rows; ++r)
        for (int c = 0; c < coarse.cols; ++c)
            coarse.at<float>(r, c) = float(radiusAt({c * step + 0.5, r * step + 0.5}));
    cv::Mat radius;
    cv::resize(coarse, radius, cv::Size(coarse.cols * step, coarse.rows * step), 0, 0,
               cv::INTER_LINEAR);
    radius = radius(cv::Rect(0, 0, canvas.cols, canvas.rows));
    double maxRadius = 0;
    cv::minMaxLoc(radius, nullptr, &maxRadius);
    double atProbes = 0;
    for (const auto &p : probes)
        atProbes = std::max(atProbes, radiusAt(p));
    if (maxRadius < 0.25)
        return atProbes;
    static const double levels[] = {0, 1, 2, 4, 8, 16};
    cv::Mat out = cv::Mat::zeros(canvas.size(), CV_32FC3);
    cv::Mat blurred;
    for (size_t k = 0; k < std::size(levels); ++k) {
        if (k > 0 && levels[k - 1] >= maxRadius)
            break;
        if (k == 0) {
            blurred = canvas;
        } else if (levels[k] < 4) {
            cv::filter2D(canvas, blurred, -1, diskKernel(levels[k]));
        } else {
            // Wide discs at half resolution: a quarter of the work, and the result is smooth.
            cv::Mat half;
            cv::resize(canvas, half, cv::Size((canvas.cols + 1) / 2, (canvas.rows + 1) / 2), 0, 0,
                       cv::INTER_AREA);
            cv::filter2D(half, half, -1, diskKernel(levels[k] / 2));
            cv::resize(half, blurred, canvas.size(), 0, 0, cv::INTER_LINEAR);
        }
        // Hat-shaped weight around this level's radius.
        for (int r = 0; r < canvas.rows; ++r) {
            const float *rad = radius.ptr<float>(r);
            const cv::Vec3f *b = blurred.ptr<cv::Vec3f>(r);
            cv::Vec3f *o = out.ptr<cv::Vec3f>(r);
            for (int c = 0; c < canvas.cols; ++c) {
                const double R = rad[c];
                double w = 0;
                if (k > 0 && R > levels[k - 1] && R <= levels[k])
                    w = (R - levels[k - 1]) / (levels[k] - levels[k - 1]);
                else if (k + 1 < std::size(levels) && R >= levels[k] && R < levels[k + 1])
                    w = (levels[k + 1] - R) / (levels[k + 1] - levels[k]);
                else if (k + 1 == std::size(levels) && R >= levels[k])
                    w = 1;
                if (w > 0)
                    o[c] += b[c] * float(w);
            }
        }
    }
    canvas = out;
    return atProbes;
}

void applyLighting(cv::Mat &canvas, SceneRng &rng)
{
    const double gx = rng.uniform(-0.15, 0.15), gy = rng.uniform(-0.15, 0.15);
    const double vignette = rng.uniform(0.08, 0.3);
    const double exposure = rng.uniform(0.92, 1.08);
    const cv::Vec3f tint(float(1 + rng.uniform(-0.04, 0.04)), 1.0f,
                         float(1 + rng.uniform(-0.04, 0.04)));
    const double w = canvas.cols, h = canvas.rows;
    for (int r = 0; r < canvas.rows; ++r) {
        cv::Vec3f *o = canvas.ptr<cv::Vec3f>(r);
        const double y = (r + 0.5) / h - 0.5;
        for (int c = 0; c < canvas.cols; ++c) {
            const double x = (c + 0.5) / w - 0.5;
            const double f =
                exposure * (1 + gx * x + gy * y) * (1 - vignette * 2 * (x * x + y * y));
            o[c] = o[c].mul(tint) * float(f);
        }
    }
}

// Loosens the pose a little after a layout that did not fit the frame.
void loosenPose(Look &k, const SceneSpec &sceneSpec, int attempt, SceneRng &rng)
{
    if (!sceneSpec.cardCentre)
        k.cardCentre = k.partial ? nearBorder(sceneSpec, rng)
                                 : cv::Point2d(rng.uniform(0.3, 0.7) * sceneSpec.width,
                                               rng.uniform(0.3, 0.7) * sceneSpec.height);
    if (!sceneSpec.tiltDeg)
        k.tiltDeg *= 0.95;
    if (!sceneSpec.cardWidthFraction && attempt > 20)
        k.widthFraction *= 0.97;
}

// Draws layouts until one fits the frame; each retry moves on in the same stream, so the
// result is still a function of the seed.
std::optional<Layout> fitLayout(const SceneSpec &sceneSpec, Look &k, SceneRng &rng)
{
    std::optional<Layout> layout;
    for (int attempt = 0; attempt < 200 && !layout; ++attempt) {
        layout = makeLayout(sceneSpec, k, rng);
        if (!layout && !sceneSpec.cardCorners)
            loosenPose(k, sceneSpec, attempt, rng);
    }
    return layout;
}

void paintDistractors(cv::Mat &canvas, const PlaneRaster &raster, const Layout &layout,
                      cv::Point2d light, SceneRng &rng)
{
    for (const auto &[kind, rect] : layout.distractors) {
        SceneRng r = rng.fork();
        paintSprite(canvas, raster, distractorSprite(kind, rect, r), light.x, light.y, 1.0);
    }
}

// Where the card covers the picture.
struct CardFootprint
{
    cv::Rect rect;
    cv::Mat mask;
    double ppm = 0; // the most pixels per millimetre anywhere on the card
};

CardFootprint cardFootprint(const PlaneRaster &raster, cv::Size size)
{
    CardFootprint card;
    const std::vector<cv::Point2d> outline(cardOutline.begin(), cardOutline.end());
    card.rect = raster.bounds(outline, size, 3);
    card.mask = raster.coverage(card.rect, [](double x, double y) {
        return roundedRectDistance(x, y, cardWidthMm, cardHeightMm, cardCornerRadiusMm);
    });
    for (const auto &p : cardOutline)
        card.ppm = std::max(card.ppm, raster.pixelsPerMm(p));
    return card;
}

void castCardShadow(cv::Mat &canvas, const PlaneRaster &raster, const CardFootprint &card,
                    const Look &k, SceneRng &rng)
{
    const cv::Point2d mid(cardWidthMm / 2, cardHeightMm / 2);
    const cv::Point2d off = raster.toImage(mid + k.lightDir * 0.45) - raster.toImage(mid);
    castShadow(canvas, card.rect, card.mask, off, rng.uniform(0.4, 0.9) * card.ppm,
               k.shadowStrength);
}

// The card's printed face; the test pattern's card is plain white.
void paintCardFace(cv::Mat &canvas, const PlaneRaster &raster, const CardFootprint &card,
                   const Look &k, bool clean, SceneRng &rng)
{
    const double texScale = std::clamp(card.ppm * 1.25, 4.0, 32.0);
    const double margin = 1.0;
    SceneRng faceRng = rng.fork();
    const cv::Mat face =
        clean
            ? cv::Mat(int(std::ceil((cardHeightMm + 2) * texScale)),
                      int(std::ceil((cardWidthMm + 2) * texScale)), CV_32FC3, cv::Scalar::all(1.0))
            : cardFaceTexture(k.cardStyle, texScale, margin, faceRng, k.cardLevel);
    // A glossy card reflects the room: a faint brightening across its face.
    const double sheen = clean ? 0.0 : rng.uniform(0.0, 0.08);
    const double sheenAngle = rng.uniform(0, 2 * pi);
    const double sc = std::cos(sheenAngle) / 100.0, ss = std::sin(sheenAngle) / 100.0;
    raster.composite(canvas, card.rect, card.mask, [&](double x, double y) {
        const cv::Vec3f c = sampleTexture(face, (x + margin) * texScale, (y + margin) * texScale);
        const double t =
            sheen *
            std::clamp(0.5 + (x - cardWidthMm / 2) * sc + (y - cardHeightMm / 2) * ss, 0.0, 1.0);
        return c + (cv::Vec3f::all(1.0f) - c) * float(t);
    });
}

void paintCardGlare(cv::Mat &canvas, const PlaneRaster &raster, const CardFootprint &card,
                    SceneRng &rng)
{
    const double longPx = meanLongEdge(raster);
    if (rng.chance(0.5)) {
        // The reflection of a lamp: a blown-out spot.
        const cv::Point2d at =
            raster.toImage({rng.uniform(8, cardWidthMm - 8), rng.uniform(6, cardHeightMm - 6)});
        const double ra = rng.uniform(0.12, 0.3) * longPx;
        paintGlare(canvas, card.rect, card.mask, at, ra, ra * rng.uniform(0.3, 0.8),
                   rng.uniform(0, pi), rng.uniform(0.6, 0.95));
    } else {
        // The reflection of a window: a long bright band, often across an edge.
        const cv::Point2d at =
            raster.toImage({rng.uniform(0, cardWidthMm), rng.uniform(0, cardHeightMm)});
        paintGlare(canvas, card.rect, card.mask, at, rng.uniform(0.5, 1.0) * longPx,
                   rng.uniform(0.04, 0.1) * longPx, rng.uniform(0, pi), rng.uniform(0.5, 0.85));
    }
}

// The card's shadow on the table, its face and any glare on it.
void paintCard(cv::Mat &canvas, const PlaneRaster &raster, const Look &k, bool clean, SceneRng &rng)
{
    const CardFootprint card = cardFootprint(raster, canvas.size());
    if (!clean)
        castCardShadow(canvas, raster, card, k, rng);
    paintCardFace(canvas, raster, card, k, clean, rng);
    if (k.glare && !clean)
        paintCardGlare(canvas, raster, card, rng);
}

// The test pattern shows the object's outline in flat white.
void paintObjectOutline(cv::Mat &canvas, const PlaneRaster &raster, const Stick &stick)
{
    const cv::Rect rect = raster.bounds(stick.polygon(1.0), canvas.size(), 3);
    const cv::Mat mask =
        raster.coverage(rect, [&stick](double x, double y) { return stick.distance(x, y); });
    raster.composite(canvas, rect, mask,
                     [](double, double) { return cv::Vec3f(1.0f, 1.0f, 1.0f); });
}

void paintObject(cv::Mat &canvas, const PlaneRaster &raster, const Stick &stick, cv::Point2d light,
                 SceneRng &rng)
{
    const double ppm = raster.pixelsPerMm((stick.a + stick.b) * 0.5);
    SceneRng r = rng.fork();
    paintSprite(canvas, raster, stickSprite(stick, ppm, r), light.x, light.y, 1.0);
}

// Skin shaded as a cylinder that widens from the finger into the hand, with the nail at the
// finger's tip.
cv::Vec3f handColour(const Hand &hand, cv::Vec3f skin, double x, double y)
{
    const cv::Point2d d(x - hand.tip.x, y - hand.tip.y);
    const double along = d.dot(hand.dir);
    const double across = d.x * -hand.dir.y + d.y * hand.dir.x;
    const double blend =
        std::clamp((along - Hand::fingerLength) / (0.9 * hand.handRadius()), 0.0, 1.0);
    const double width =
        hand.radius + (hand.handRadius() - hand.radius) * blend * blend * (3 - 2 * blend);
    cv::Vec3f c = cylinderShade(skin, across / width, 0.08);
    // The nail, seen from above at the finger's tip.
    const double nu = (along + 0.1 * hand.radius) / (0.6 * hand.radius);
    const double nv = across / (0.55 * hand.radius);
    if (nu * nu + nv * nv < 1.0) {
        const cv::Vec3f nail = skin * 0.55f + cv::Vec3f(0.36f, 0.36f, 0.4f);
        c = nail * float(0.85 + 0.15 * std::sqrt(std::max(0.0, 1.0 - nv * nv))) +
            cv::Vec3f::all(float(0.25 * std::exp(-std::pow((nv + 0.3) / 0.2, 2.0))));
    }
    return c;
}

Sprite handSprite(const Hand &hand, SceneRng &rng)
{
    Sprite sprite;
    sprite.distance = [hand](double x, double y) { return hand.distance(x, y); };
    const cv::Vec3f skin(float(rng.uniform(0.45, 0.6)), float(rng.uniform(0.55, 0.7)),
                         float(rng.uniform(0.78, 0.92)));
    sprite.colour = [hand, skin](double x, double y) { return handColour(hand, skin, x, y); };
    sprite.polygon = hand.polygon(2.0);
    sprite.shadow = {8, 5, 0.4};
    return sprite;
}

void paintHands(cv::Mat &canvas, const PlaneRaster &raster, const Layout &layout, cv::Point2d light,
                SceneRng &rng)
{
    std::vector<Hand> hands;
    if (layout.finger)
        hands.push_back(layout.hand);
    if (layout.thumb)
        hands.push_back(*layout.thumb);
    for (const Hand &hand : hands) {
        // The hand is nearer the lens than the table and a little out of focus.
        paintSprite(canvas, raster, handSprite(hand, rng), light.x, light.y, 1.0,
                    1.2 * std::max(1.0, canvas.cols / 1920.0));
    }
}

// The table, what lies on it, the card, the object and the hands, each over what is beneath.
void paintScene(cv::Mat &canvas, const PlaneRaster &raster, const Look &k, const Layout &layout,
                bool clean, SceneRng &rng)
{
    paintBackground(canvas, raster, k, clean, rng);
    if (!clean)
        paintDistractors(canvas, raster, layout, k.lightDir, rng);
    if (k.hasCard)
        paintCard(canvas, raster, k, clean, rng);
    if (clean)
        paintObjectOutline(canvas, raster, layout.stick);
    else
        paintObject(canvas, raster, layout.stick, k.lightDir, rng);
    if (!clean)
        paintHands(canvas, raster, layout, k.lightDir, rng);
}

// The blur of depth of field, the lens, defocus and camera shake; returns its variance at the
// card in pixels squared.
double applyOptics(cv::Mat &canvas, const Look &k, const Layout &layout, const PlaneRaster &raster)
{
    double blurVar = 0.0;
    if (layout.camera) {
        const cv::Point2d mid(cardWidthMm / 2, cardHeightMm / 2);
        std::vector<cv::Point2d> probes;
        for (const auto &p : cardOutline)
            probes.push_back(raster.toImage(p));
        const double r =
            applyDepthOfField(canvas, *layout.camera, layout.camera->depthAt(raster.toImage(mid)),
                              k.dofScale, probes);
        // A disc of radius r spreads like a Gaussian of sigma r / 2.
        blurVar += r * r / 4.0;
    }
    cv::GaussianBlur(canvas, canvas, cv::Size(), k.lensSigma);
    blurVar += k.lensSigma * k.lensSigma;
    if (k.defocusRadius > 0) {
        cv::filter2D(canvas, canvas, -1, diskKernel(k.defocusRadius));
        blurVar += k.defocusRadius * k.defocusRadius / 4.0;
    }
    if (k.motionLength > 0) {
        cv::filter2D(canvas, canvas, -1, motionKernel(k.motionLength, k.motionAngle));
        blurVar += k.motionLength * k.motionLength / 12.0;
    }
    return blurVar;
}

// The sensor sees one colour per photosite (RGGB), each with its own noise; shot noise grows
// with brightness, read noise does not. Demosaicing then brings the colour back with its usual
// zipper artefacts along edges.
void applySensorNoise(cv::Mat &canvas, double noiseSigma, cv::RNG &noiseRng)
{
    const cv::Size size = canvas.size();
    cv::Mat mosaic(size, CV_16U);
    cv::Mat noise(size, CV_32F);
    noiseRng.fill(noise, cv::RNG::NORMAL, 0.0, 1.0);
    const double read = noiseSigma * 0.5, shot = noiseSigma;
    for (int r = 0; r < size.height; ++r) {
        const cv::Vec3f *in = canvas.ptr<cv::Vec3f>(r);
        const float *n = noise.ptr<float>(r);
        quint16 *out = mosaic.ptr<quint16>(r);
        for (int c = 0; c < size.width; ++c) {
            const int channel = r % 2 == 0 ? (c % 2 == 0 ? 2 : 1) : (c % 2 == 0 ? 1 : 0);
            const double v = in[c][channel];
            const double noisy =
                v + n[c] * std::sqrt(read * read + shot * shot * std::clamp(v, 0.0, 1.0));
            out[c] = quint16(std::clamp(noisy * 65535.0 + 0.5, 0.0, 65535.0));
        }
    }
    cv::Mat demosaiced;
    cv::cvtColor(mosaic, demosaiced, cv::COLOR_BayerBG2BGR);
    demosaiced.convertTo(canvas, CV_32FC3, 1.0 / 65535.0);
}

// The phone's sharpening: an unsharp mask.
void sharpen(cv::Mat &canvas, double amount)
{
    const double scale = std::max(canvas.cols, canvas.rows) / 1920.0;
    cv::Mat soft;
    cv::GaussianBlur(canvas, soft, cv::Size(), 1.4 * std::sqrt(scale));
    cv::addWeighted(canvas, 1.0 + amount, soft, -amount, 0.0, canvas);
}

// Blotchy colour noise, coarser than the sensor's own.
void addChromaNoise(cv::Mat &canvas, double sigma, cv::RNG &noiseRng)
{
    cv::Mat chroma(canvas.rows / 2 + 1, canvas.cols / 2 + 1, CV_32FC3);
    noiseRng.fill(chroma, cv::RNG::NORMAL, 0.0, sigma);
    cv::resize(chroma, chroma, canvas.size(), 0, 0, cv::INTER_LINEAR);
    canvas += chroma;
}

// The sensor and the phone's processing of what it sees. Frames of a video draw their noise
// afresh.
void applySensor(cv::Mat &canvas, const Look &k, std::optional<quint64> frameSeed, SceneRng &rng)
{
    cv::RNG noiseRng(frameSeed ? rng.next() ^ (*frameSeed * 0x9E3779B97F4A7C15ull) : rng.next());
    applySensorNoise(canvas, k.noiseSigma, noiseRng);
    if (k.sharpen > 0)
        sharpen(canvas, k.sharpen);
    if (k.chromaNoise > 0)
        addChromaNoise(canvas, k.chromaNoise, noiseRng);
}

// What the camera makes of the scene: uneven light, blur and the sensor's noise. Returns the
// blur's variance at the card in pixels squared.
double photograph(cv::Mat &canvas, const Look &k, const Layout &layout, const PlaneRaster &raster,
                  std::optional<quint64> frameSeed, SceneRng &rng)
{
    applyLighting(canvas, rng);
    const double blurVar = applyOptics(canvas, k, layout, raster);
    applySensor(canvas, k, frameSeed, rng);
    return blurVar;
}

// The 8-bit picture; a photo goes through JPEG as a phone saves it.
QImage finishedImage(const cv::Mat &canvas, const Look &k, bool clean)
{
    cv::Mat bgr8;
    canvas.convertTo(bgr8, CV_8UC3, 255.0);
    const QImage image = toQImage(bgr8);
    return clean ? image : jpegRoundTrip(image, k.jpegQuality);
}

void setGroundTruth(Scene &scene, const SceneSpec &sceneSpec, const Look &k,
                    const PlaneRaster &raster, const Stick &stick, double blurVar)
{
    // A card running off the picture is drawn, but it is not a card to measure with.
    scene.hasCard = k.hasCard && !k.partial;
    std::array<cv::Point2d, 4> corners;
    for (size_t i = 0; i < 4; ++i)
        corners[i] = raster.toImage(cardOutline[i]);
    scene.card = screenOrder(corners, scene.cardFirstEdgeLong);
    if (sceneSpec.objectEnds) {
        scene.objectFrom = (*sceneSpec.objectEnds)[0];
        scene.objectTo = (*sceneSpec.objectEnds)[1];
    } else {
        scene.objectFrom = toQt(raster.toImage(stick.a));
        scene.objectTo = toQt(raster.toImage(stick.b));
    }
    scene.objectLengthMm = stick.length();
    scene.blurPx = std::sqrt(blurVar);
}

} // namespace

QString sceneCategoryName(SceneCategory category)
{
    switch (category) {
    case SceneCategory::Plain:
        return QStringLiteral("plain");
    case SceneCategory::LowContrast:
        return QStringLiteral("lowContrast");
    case SceneCategory::Dark:
        return QStringLiteral("dark");
    case SceneCategory::Textured:
        return QStringLiteral("textured");
    case SceneCategory::Glare:
        return QStringLiteral("glare");
    case SceneCategory::Defocus:
        return QStringLiteral("defocus");
    case SceneCategory::MotionBlur:
        return QStringLiteral("motionBlur");
    case SceneCategory::Noise:
        return QStringLiteral("noise");
    case SceneCategory::Finger:
        return QStringLiteral("finger");
    case SceneCategory::Perspective:
        return QStringLiteral("perspective");
    case SceneCategory::Rotation:
        return QStringLiteral("rotation");
    case SceneCategory::Small:
        return QStringLiteral("small");
    case SceneCategory::Distractors:
        return QStringLiteral("distractors");
    case SceneCategory::NoCard:
        return QStringLiteral("noCard");
    case SceneCategory::Clutter:
        return QStringLiteral("clutter");
    case SceneCategory::Keyboard:
        return QStringLiteral("keyboard");
    case SceneCategory::OnPaper:
        return QStringLiteral("onPaper");
    case SceneCategory::Held:
        return QStringLiteral("held");
    case SceneCategory::Partial:
        return QStringLiteral("partial");
    }
    return {};
}

std::optional<SceneCategory> sceneCategoryFromName(const QString &name)
{
    for (SceneCategory c : allSceneCategories)
        if (sceneCategoryName(c) == name)
            return c;
    return std::nullopt;
}

Scene renderScene(const SceneSpec &sceneSpec)
{
    if (sceneSpec.width < 16 || sceneSpec.height < 16 ||
        qint64(sceneSpec.width) * sceneSpec.height > 100'000'000)
        return {};
    SceneRng root(sceneSpec.seed * 0x2545F4914F6CDD1Dull + quint64(sceneSpec.category));
    SceneRng lookRng = root.fork();
    Look k = chooseLook(sceneSpec, lookRng);
    if (sceneSpec.clean)
        k.distractors = 0;
    SceneRng layoutRng = root.fork();
    const std::optional<Layout> layout = fitLayout(sceneSpec, k, layoutRng);

    Scene scene;
    scene.category = sceneCategoryName(sceneSpec.category);
    scene.seed = sceneSpec.seed;
    if (!layout) {
        scene.image = QImage(sceneSpec.width, sceneSpec.height, QImage::Format_RGB32);
        scene.image.fill(Qt::gray);
        return scene;
    }
    const PlaneRaster raster(layout->H);
    SceneRng paintRng = root.fork();
    cv::Mat canvas(cv::Size(sceneSpec.width, sceneSpec.height), CV_32FC3);
    paintScene(canvas, raster, k, *layout, sceneSpec.clean, paintRng);
    double blurVar = 0.0;
    if (!sceneSpec.clean) {
        SceneRng cameraRng = root.fork();
        blurVar = photograph(canvas, k, *layout, raster, sceneSpec.frameSeed, cameraRng);
    }
    scene.image = finishedImage(canvas, k, sceneSpec.clean);
    setGroundTruth(scene, sceneSpec, k, raster, layout->stick, blurVar);
    return scene;
}

double lengthThroughCard(const std::array<QPointF, 4> &card, bool firstEdgeLong, QPointF from,
                         QPointF to)
{
    std::array<cv::Point2d, 4> image;
    for (size_t i = 0; i < 4; ++i)
        image[i] = toCv(card[i]);
    // Only distances matter, so a mirrored outline measures the same.
    const double a = firstEdgeLong ? cardWidthMm : cardHeightMm;
    const double b = firstEdgeLong ? cardHeightMm : cardWidthMm;
    const std::array<cv::Point2d, 4> plane = {cv::Point2d(0, 0), cv::Point2d(a, 0),
                                              cv::Point2d(a, b), cv::Point2d(0, b)};
    const auto h = homographyFrom(image, plane);
    if (!h)
        return std::numeric_limits<double>::quiet_NaN();
    const PlaneRaster toPlane(*h);
    return cv::norm(toPlane.toImage(toCv(from)) - toPlane.toImage(toCv(to)));
}

namespace {

std::vector<SceneSpec> setOf(const SceneCategory *first, const SceneCategory *last,
                             quint64 firstSeed, int perCategory)
{
    std::vector<SceneSpec> set;
    static const QSize sizes[] = {
        {1920, 1080}, {1280, 960}, {1920, 1080}, {1080, 1920}, {1280, 960}};
    quint64 seed = firstSeed;
    for (const SceneCategory *c = first; c != last; ++c) {
        const SceneCategory category = *c;
        const int count = category == SceneCategory::NoCard ? 2 * perCategory : perCategory;
        for (int i = 0; i < count; ++i) {
            SceneSpec sceneSpec;
            sceneSpec.seed = seed++;
            sceneSpec.category = category;
            QSize s = sizes[i % 5];
            if (i == 2 &&
                (category == SceneCategory::Plain || category == SceneCategory::Perspective ||
                 category == SceneCategory::Glare || category == SceneCategory::Finger))
                s = QSize(4032, 3024);
            if (i == 3 &&
                (category == SceneCategory::Rotation || category == SceneCategory::NoCard))
                s = QSize(3024, 4032);
            // Phone photos of a card in real rooms are taken close: the card fills most of the
            // picture's width.
            if (i % 5 == 3 && c >= allSceneCategories.data() + firstSceneCategories)
                sceneSpec.cardWidthFraction = 0.72 + 0.02 * double(sceneSpec.seed % 6);
            sceneSpec.width = s.width();
            sceneSpec.height = s.height();
            set.push_back(sceneSpec);
        }
    }
    return set;
}

} // namespace

std::vector<SceneSpec> standardSet(quint64 firstSeed, int perCategory)
{
    return setOf(allSceneCategories.data(), allSceneCategories.data() + firstSceneCategories,
                 firstSeed, perCategory);
}

std::vector<SceneSpec> widenedSet(quint64 firstSeed, int perCategory)
{
    return setOf(allSceneCategories.data() + firstSceneCategories,
                 allSceneCategories.data() + allSceneCategories.size(), firstSeed, perCategory);
}

std::vector<SceneSpec> cameraPath(const SceneSpec &first, int frames, double drift)
{
    std::vector<SceneSpec> path;
    const QPointF start = first.cardCentre.value_or(QPointF(first.width * 0.5, first.height * 0.5));
    const double step = drift * first.cardWidthFraction.value_or(0.3) * first.width;
    for (int i = 0; i < frames; ++i) {
        SceneSpec frame = first;
        // A hand-held camera: the card drifts along a slow arc and the view turns a little.
        const double t = i * step;
        frame.cardCentre = start + QPointF(t, 0.3 * t * std::sin(i * 0.15));
        frame.rollDeg = first.rollDeg.value_or(0.0) + (drift > 0 ? 0.2 * i : 0.0);
        frame.frameSeed = quint64(i) + 1;
        path.push_back(frame);
    }
    return path;
}

SceneSpec bundledTestSceneSpec()
{
    SceneSpec sceneSpec;
    sceneSpec.seed = 20261206;
    sceneSpec.width = 3024;
    sceneSpec.height = 4032;
    sceneSpec.category = SceneCategory::Plain;
    sceneSpec.surface = SceneSurface::Wood;
    sceneSpec.cardStyle = SceneCardStyle::Bank;
    sceneSpec.objectKind = SceneObjectKind::Pencil;
    sceneSpec.tiltDeg = 13.0;
    sceneSpec.rollDeg = 1.5;
    sceneSpec.yawDeg = -4.0;
    sceneSpec.focalPx = 3100.0;
    sceneSpec.cardCentre = QPointF(800.0, 2900.0);
    sceneSpec.cardWidthFraction = 0.30;
    sceneSpec.objectEnds = std::array<QPointF, 2>{QPointF(1984.0, 3016.0), QPointF(1957.0, 1199.0)};
    return sceneSpec;
}
