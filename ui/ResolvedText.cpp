#include "ui/ResolvedText.h"

#include <QCoreApplication>

const QString &ResolvedText::text() const
{
    std::call_once(m_once, [this] { m_text = qtTrId(m_key); });
    return m_text;
}
