#pragma once

#include "core/CardGeometry.h"

#include <QImage>
#include <QPointF>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

// Photo-like test scenes of a bank-card-sized card and an object of known length lying on a
// table, with exact ground truth. Everything is derived from the seed: the same SceneSpec always
// renders the same bytes.
//
// Image coordinates are continuous and y-down: (0, 0) is the top-left corner of the top-left
// pixel, pixel centres sit at +0.5.

enum class SceneCategory
{
    Plain,       // a card on an ordinary surface, mild conditions
    LowContrast, // white or grey card on a light table or paper
    Dark,        // dark card on a dark table
    Textured,    // wood grain, fabric
    Glare,       // glossy card with a specular highlight
    Defocus,     // out of focus
    MotionBlur,  // camera shake
    Noise,       // sensor noise and heavy JPEG compression
    Finger,      // a finger over part of one edge
    Perspective, // strongly tilted camera
    Rotation,    // card at any angle in the frame
    Small,       // card about 12 % of the frame width
    Distractors, // paper, box, phone, picture frame beside the card
    NoCard,      // distractors and the object only
    // Kinds of picture seen in real photos of cards.
    Clutter,  // sticky notes and flags, a memory module, a notebook, a phone close to the card
    Keyboard, // the card lying on a computer keyboard
    OnPaper,  // the card lying on a printed sheet
    Held,     // the card held in a hand: a thumb over one edge, fingers over the other
    Partial,  // the card runs off the picture: no card must be reported
};

inline constexpr std::array allSceneCategories = {
    SceneCategory::Plain,       SceneCategory::LowContrast, SceneCategory::Dark,
    SceneCategory::Textured,    SceneCategory::Glare,       SceneCategory::Defocus,
    SceneCategory::MotionBlur,  SceneCategory::Noise,       SceneCategory::Finger,
    SceneCategory::Perspective, SceneCategory::Rotation,    SceneCategory::Small,
    SceneCategory::Distractors, SceneCategory::NoCard,      SceneCategory::Clutter,
    SceneCategory::Keyboard,    SceneCategory::OnPaper,     SceneCategory::Held,
    SceneCategory::Partial};

// The categories of the first labelled set, which the detector's accuracy goals refer to; the
// later ones (from Clutter on) widen it towards what real photos show.
inline constexpr size_t firstSceneCategories = 14;

[[nodiscard]] QString sceneCategoryName(SceneCategory category);
[[nodiscard]] std::optional<SceneCategory> sceneCategoryFromName(const QString &name);

// The card outline in its own plane, millimetres: long edge along x.
inline constexpr double cardWidthMm = CardGeometry::width;
inline constexpr double cardHeightMm = CardGeometry::height;
inline constexpr double cardCornerRadiusMm = CardGeometry::cornerRadius;

enum class SceneSurface
{
    Wood,
    Fabric,
    LightTable,
    DarkTable,
    Paper,
    Keyboard
};

enum class SceneCardStyle
{
    Bank,       // saturated gradient, chip, embossed number, network logo
    DarkBank,   // black, navy or charcoal with silver print
    Loyalty,    // light card with a coloured band and a barcode
    PlainWhite, // blank white card
    PlainGrey,  // blank grey card
    Back        // back of a bank card: magnetic stripe and signature panel
};

enum class SceneObjectKind
{
    Pen,
    Pencil,
    Ruler
};

struct SceneSpec
{
    quint64 seed = 1;
    int width = 1920;
    int height = 1080;
    SceneCategory category = SceneCategory::Plain;

    // Optional pins; anything left unset is drawn from the seed.
    // Image positions of the card-plane corners (0,0), (85.725,0), (85.725,53.975), (0,53.975).
    std::optional<std::array<QPointF, 4>> cardCorners;
    // Camera pose: tilt of the optical axis from the table normal, roll about the optical axis,
    // yaw of the card on the table (degrees), focal length (pixels), card centre in the image.
    std::optional<double> tiltDeg;
    std::optional<double> rollDeg;
    std::optional<double> yawDeg;
    std::optional<double> focalPx;
    std::optional<QPointF> cardCentre;
    std::optional<double> cardWidthFraction; // mean long-edge length over image width
    // Image positions of the object's two ends (both on the table plane).
    std::optional<std::array<QPointF, 2>> objectEnds;
    std::optional<SceneObjectKind> objectKind;
    std::optional<SceneSurface> surface;
    std::optional<SceneCardStyle> cardStyle;
    // A test pattern for checking the geometry: black background, white card and object
    // outlines, nothing else, no blur, no noise.
    bool clean = false;
    // Frames of a video: the same scene with the sensor's noise drawn afresh for each frame.
    std::optional<quint64> frameSeed;
};

struct Scene
{
    QImage image; // Format_RGB32
    bool hasCard = false;
    // Intersections of the card's straight edges, clockwise on screen starting at the corner
    // with the smallest x + y.
    std::array<QPointF, 4> card{};
    bool cardFirstEdgeLong = true; // card[0] -> card[1] is one of the long edges
    QPointF objectFrom;
    QPointF objectTo;
    double objectLengthMm = 0.0;
    QString category;
    quint64 seed = 0;
    double blurPx = 0.0; // Gaussian-equivalent blur of the optics, pixels
    // No defocus or motion blur beyond the lens' own softness.
    [[nodiscard]] bool sharp() const { return blurPx <= 1.0; }
};

// A null image for sizes below 16 pixels or above 100 megapixels; a plain grey frame without a
// card when pinned positions leave no room for the object.
[[nodiscard]] Scene renderScene(const SceneSpec &sceneSpec);

// Length in millimetres between two image points on the table plane, measured through the
// card whose image corners are given in Scene::card order; firstEdgeLong says whether
// card[0] -> card[1] is a long edge. NaN when the corners do not define a homography.
[[nodiscard]] double lengthThroughCard(const std::array<QPointF, 4> &card, bool firstEdgeLong,
                                       QPointF from, QPointF to);

// The labelled set: every category of the first set, at least 60 scenes with a card and 8
// without, at phone and webcam sizes. Another first seed or more scenes per category give a set
// to check a change against that the detector was not tuned on.
[[nodiscard]] std::vector<SceneSpec> standardSet(quint64 firstSeed = 1001, int perCategory = 5);

// The same for the categories that widen the set (Clutter on), seeds following the first set.
[[nodiscard]] std::vector<SceneSpec> widenedSet(quint64 firstSeed = 2001, int perCategory = 5);

// A camera moving over a table: `frames` views of the scene of `first` (whose pose should be
// pinned: tilt, roll, yaw, focal length, card centre and size), the card drifting across the
// picture by `drift` of its width per frame along a slow curve and turning a little, each frame
// with its own sensor noise. With drift 0 the camera is still and only the noise changes.
[[nodiscard]] std::vector<SceneSpec> cameraPath(const SceneSpec &first, int frames, double drift);

// The bundled "test" photo: 3024 x 4032 portrait, the object's ends at (1984, 3016) and
// (1957, 1199).
[[nodiscard]] SceneSpec bundledTestSceneSpec();
