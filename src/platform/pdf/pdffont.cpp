#include "pdffont.h"

namespace narrata {

QString fontNameWithoutSubsetTag(const QString &name)
{
    if (name.size() > 7 && name.at(6) == u'+') {
        bool tagged = true;
        for (int i = 0; i < 6 && tagged; ++i)
            tagged = name.at(i) >= u'A' && name.at(i) <= u'Z';
        if (tagged)
            return name.mid(7);
    }
    return name;
}

} // namespace narrata
