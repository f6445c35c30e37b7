#pragma once

#include <QMetaType>
#include <QString>

// What the measurement screen is doing: live preview, confirming the card on the frozen
// picture, adding targets, or exporting. A value with an associated flag for two of the cases;
// two states are equal when case and flag are equal.
class CameraState
{
    Q_GADGET
    Q_PROPERTY(Kind kind READ kind CONSTANT FINAL)
    // The case's name as written in code ("takePicture", "export", ...), for QML switches.
    Q_PROPERTY(QString name READ name CONSTANT FINAL)
    Q_PROPERTY(bool foundAutomatically READ foundAutomatically CONSTANT FINAL)
    Q_PROPERTY(bool selected READ selected CONSTANT FINAL)
    // The display key of the hint banner's text.
    Q_PROPERTY(QString hint READ hint CONSTANT FINAL)

public:
    // `export` is a C++ keyword, hence the underscore.
    enum class Kind
    {
        confirmCardSelection,
        addTarget,
        takePicture,
        export_
    };
    Q_ENUM(Kind)

    // A new session's state.
    CameraState() = default;

    [[nodiscard]] static CameraState confirmCardSelection(bool foundAutomatically)
    {
        return {Kind::confirmCardSelection, foundAutomatically};
    }
    [[nodiscard]] static CameraState addTarget(bool selected)
    {
        return {Kind::addTarget, selected};
    }
    [[nodiscard]] static CameraState takePicture() { return {Kind::takePicture, false}; }
    [[nodiscard]] static CameraState exportPicture() { return {Kind::export_, false}; }

    [[nodiscard]] Kind kind() const { return m_kind; }
    [[nodiscard]] QString name() const;
    // The flag of confirmCardSelection; false in every other case.
    [[nodiscard]] bool foundAutomatically() const
    {
        return m_kind == Kind::confirmCardSelection && m_flag;
    }
    // The flag of addTarget; false in every other case.
    [[nodiscard]] bool selected() const { return m_kind == Kind::addTarget && m_flag; }
    [[nodiscard]] QString hint() const;

    [[nodiscard]] bool is(Kind kind) const { return m_kind == kind; }
    // Where the main button leads from here.
    [[nodiscard]] CameraState successor() const;

    friend bool operator==(const CameraState &, const CameraState &) = default;

private:
    CameraState(Kind kind, bool flag) : m_kind(kind), m_flag(flag) {}

    Kind m_kind = Kind::takePicture;
    bool m_flag = false;
};

Q_DECLARE_METATYPE(CameraState)
