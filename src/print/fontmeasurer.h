#pragma once

#include <QFont>
#include <QHash>
#include <QImage>
#include <memory>

#include "preflight.h"

namespace pobelo {

class VerticalShaper;

// The advances of text as the painter surface draws it: the face name resolved to an installed
// font, and with a vertical-writing face ("@" name) every full-width run shaped as a column.
// Needs a running QGuiApplication.
class FontMeasurer : public TextMeasurer {
  public:
    FontMeasurer();
    ~FontMeasurer() override;
    float advance(const QString& fontName, float points, bool bold, bool italic,
                  const QString& text) override;
    // As the painter draws it: from the face, or else from a face the system has for c.
    bool canShow(const QString& fontName, bool bold, bool italic, char32_t c) override;

  private:
    struct Face {
        QFont font;
        std::unique_ptr<VerticalShaper> shaper;
    };
    struct FaceKey {
        QString family;
        float points;
        bool bold;
        bool italic;
        bool vertical;
        bool operator==(const FaceKey&) const = default;
        friend size_t qHash(const FaceKey& key, size_t seed = 0) {
            return qHashMulti(seed, key.family, key.points, key.bold, key.italic, key.vertical);
        }
    };
    Face& face(const QString& family, float points, bool bold, bool italic, bool vertical);
    // The installed family a face name prints in; empty when there is none.
    const QString& family(const QString& fontName);

    // A device of 1440 dots to the inch: one dot is one twip.
    QImage twips_;
    QHash<QString, QString> families_;
    QHash<FaceKey, std::shared_ptr<Face>> faces_;
    // By family, bold and italic: whether each character asked about can be shown.
    QHash<QString, QHash<char32_t, bool>> shown_;
};

}  // namespace pobelo
