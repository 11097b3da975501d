#pragma once

#include <QColor>
#include <QImage>
#include <QQuickItem>

namespace LookImages {
struct TextBlock;
}

// An item that shows one image prepared on the CPU when its properties or size change (and shared with every
// other item asking for the same look), so a frame costs no more than drawing that image. Subclasses say
// what the image is and where it lies.
class BakedLook : public QQuickItem {
    Q_OBJECT

public:
    explicit BakedLook(QQuickItem* parent = nullptr);

    // How many images all looks have drawn so far; a look shown again from the shared cache draws none.
    static int imagesDrawn();

Q_SIGNALS:
    void lookChanged();

protected:
    // Names the image for the shared cache; empty when there is nothing to draw.
    virtual QString lookKey(qreal pixelRatio) const = 0;
    virtual QImage bake(qreal pixelRatio) const = 0;
    // Where the image lies, in the item's coordinates.
    virtual QRectF imageRect() const = 0;
    // Whether other items may ask for the same image; an image that only one item ever shows is not kept.
    virtual bool shared() const { return true; }

    // Sets a property of the look, and draws it again when that changes it.
    template <typename T> void change(T& member, const T& value) {
        if (member == value)
            return;
        member = value;
        polish();
        Q_EMIT lookChanged();
    }
    qreal pixelRatio() const;

    void updatePolish() override;
    QSGNode* updatePaintNode(QSGNode* node, UpdatePaintNodeData*) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;

private:
    QString m_key;
    QImage m_image;
    bool m_textureStale = false;
};

// A cover image filling the item, cropped to its aspect and clipped to a rounded rectangle.
class ArtworkImage : public BakedLook {
    Q_OBJECT
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY lookChanged)
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY lookChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY lookChanged)

public:
    using BakedLook::BakedLook;
    QImage image() const { return m_artwork; }
    void setImage(const QImage& image);
    bool hasImage() const { return !m_artwork.isNull(); }
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius) { change(m_radius, radius); }

protected:
    QString lookKey(qreal pixelRatio) const override;
    QImage bake(qreal pixelRatio) const override;
    QRectF imageRect() const override { return boundingRect(); }

private:
    QImage m_artwork;
    qreal m_radius = 0;
};

// The soft shadow or glow of a rounded rectangle filling the item, or of the symbol a SymbolIcon of the
// item's size draws: the shape in `color` (fading to `endColor` at the bottom when that is set), blurred
// by `blur`, spreading beyond the item's bounds.
class BlurredShape : public BakedLook {
    Q_OBJECT
    Q_PROPERTY(qreal cornerRadius MEMBER m_cornerRadius WRITE setCornerRadius NOTIFY lookChanged)
    Q_PROPERTY(QString symbol MEMBER m_symbol WRITE setSymbol NOTIFY lookChanged)
    Q_PROPERTY(qreal blur MEMBER m_blur WRITE setBlur NOTIFY lookChanged)
    Q_PROPERTY(QColor color MEMBER m_color WRITE setColor NOTIFY lookChanged)
    Q_PROPERTY(QColor endColor MEMBER m_endColor WRITE setEndColor NOTIFY lookChanged)

public:
    using BakedLook::BakedLook;
    void setCornerRadius(qreal radius) { change(m_cornerRadius, radius); }
    void setSymbol(const QString& symbol) { change(m_symbol, symbol); }
    void setBlur(qreal blur) { change(m_blur, blur); }
    void setColor(const QColor& color) { change(m_color, color); }
    void setEndColor(const QColor& color) { change(m_endColor, color); }

protected:
    QString lookKey(qreal pixelRatio) const override;
    QImage bake(qreal pixelRatio) const override;
    QRectF imageRect() const override;

private:
    qreal m_cornerRadius = 0;
    QString m_symbol;
    qreal m_blur = 0;
    QColor m_color;
    QColor m_endColor;
};

// A radial glow centred on the item: `color` out to `innerRadius`, fading linearly to clear at
// `outerRadius`, reaching beyond the item's bounds when they are smaller.
class RadialGlow : public BakedLook {
    Q_OBJECT
    Q_PROPERTY(QColor color MEMBER m_color WRITE setColor NOTIFY lookChanged)
    Q_PROPERTY(qreal innerRadius MEMBER m_innerRadius WRITE setInnerRadius NOTIFY lookChanged)
    Q_PROPERTY(qreal outerRadius MEMBER m_outerRadius WRITE setOuterRadius NOTIFY lookChanged)

public:
    using BakedLook::BakedLook;
    void setColor(const QColor& color) { change(m_color, color); }
    void setInnerRadius(qreal radius) { change(m_innerRadius, radius); }
    void setOuterRadius(qreal radius) { change(m_outerRadius, radius); }

protected:
    QString lookKey(qreal pixelRatio) const override;
    QImage bake(qreal pixelRatio) const override;
    QRectF imageRect() const override;

private:
    QColor m_color;
    qreal m_innerRadius = 0;
    qreal m_outerRadius = 0;
};

// The soft shadow of what its parent Text item draws: black at 40 % of the text's own opacity, blurred by 3
// px and 1 px below, under the glyphs. It follows the text's content, font, size and layout, and is drawn
// again only when the lines it shadows change. A text in a rich format draws a sharp copy of its glyphs 1 px
// below itself instead.
class TextShadow : public BakedLook {
    Q_OBJECT

public:
    explicit TextShadow(QQuickItem* text);

protected:
    QString lookKey(qreal pixelRatio) const override;
    QImage bake(qreal pixelRatio) const override;
    QRectF imageRect() const override;
    void updatePolish() override;

private Q_SLOTS:
    void followText();

private:
    QQuickItem* text() const { return parentItem(); }
    bool isPlain() const;
    LookImages::TextBlock block() const;
    QPointF linesOrigin(const LookImages::TextBlock& block) const;
    QRectF shadowRect(const LookImages::TextBlock& block, qreal pixelRatio) const;
    std::pair<QSize, QPointF> imageGeometry(const LookImages::TextBlock& block, qreal pixelRatio) const;
};
