"""The table of icons: each glyph function registers the file stems it draws."""

ICONS = {}


def icon(*stems):
    """Register a drawing function (canvas -> None) under one or more icon stems."""

    def register(draw):
        for stem in stems:
            if stem in ICONS:
                raise ValueError("icon %r is drawn twice" % stem)
            ICONS[stem] = draw
        return draw

    return register
