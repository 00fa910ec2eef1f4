// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/forms/PropertyBag.h"

QVariant PropertyBag::ReadProperty(const QString& sName, const QVariant& vDefault) const {
    return m_values.value(sName.toLower(), vDefault);
}

void PropertyBag::WriteProperty(const QString& sName, const QVariant& vValue, const QVariant& vDefault) {
    const QString key = sName.toLower();
    if (vDefault.isValid() && vValue == vDefault)
        m_values.remove(key);
    else
        m_values.insert(key, vValue);
}

bool PropertyBag::Contains(const QString& sName) const {
    return m_values.contains(sName.toLower());
}

QStringList PropertyBag::Keys() const {
    return m_values.keys();
}

void PropertyBag::Clear() {
    m_values.clear();
    m_changed.clear();
}

void PropertyBag::PropertyChanged(const QString& sName) {
    m_changed.append(sName);
}
