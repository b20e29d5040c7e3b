/**
 * Decodes an MPEG-4 video elementary stream one unit at a time (as
 * Mp4vStreamSplitter cuts it): configuration headers, then I- and
 * P-pictures. Whatever it cannot decode it conceals with a copy of the
 * previous picture, so a damaged stream still yields one picture per
 * picture header.
 */
final class Mp4vDecoder {

    private final Mp4vBits in = new Mp4vBits();
    private final Mp4vQuant quant = new Mp4vQuant();
    private final Mp4vVopHeader vop = new Mp4vVopHeader();
    private Mp4vVideoLayer vol;
    private boolean volDamaged;
    private int objectVerid = 1;

    private Mp4vVopDecoder pictures;
    private Mp4vFrame cur;
    private Mp4vFrame ref;
    private boolean haveRef;

    private long timeBaseSeconds;
    private long lastTime;
    private int damaged;
    private String damageReason;

    Mp4vDecoder() {
    }

    /**
     * Decodes one unit (configuration headers and/or one picture). Returns
     * the picture it completes, or null when the unit holds none (only
     * headers, or a picture before any layer header). Never throws.
     */
    Mp4vPicture decode(byte[] data, int offset, int length) {
        try {
            if (data == null || offset < 0 || length < 0 || length > data.length - offset) {
                return null;
            }
            in.reset(data, offset, length);
            Mp4vPicture result = null;
            for (int code = in.nextStartCode(); code >= 0; code = in.nextStartCode()) {
                Mp4vPicture p = startCode(code);
                if (p != null) {
                    result = p;
                }
            }
            return result;
        } catch (Throwable t) {
            return conceal("undecodable data (" + t.getClass().getSimpleName() + ")");
        }
    }

    int width() {
        return vol != null ? vol.width : 0;
    }

    int height() {
        return vol != null ? vol.height : 0;
    }

    int damagedPictures() {
        return damaged;
    }

    /** Why the latest concealed picture was concealed, or null. */
    String damageReason() {
        return damageReason;
    }

    private Mp4vPicture startCode(int code) {
        if (code >= 0x20 && code <= 0x2f) {
            videoLayer();
        } else if (code == 0xb5) {
            visualObject();
        } else if (code == 0xb3) {
            groupOfVops();
        } else if (code == 0xb6) {
            return picture();
        }
        return null;  // video object, sequence, user data and other headers carry nothing needed
    }

    private void videoLayer() {
        Mp4vVideoLayer layer;
        try {
            layer = Mp4vVideoLayer.parse(in, objectVerid);
        } catch (Mp4vDamage e) {
            volDamaged = true;
            return;
        }
        volDamaged = false;
        if (layer.mpegQuant) {
            quant.useMpeg(layer.intraMatrix, layer.interMatrix);
        } else {
            quant.useH263();
        }
        int mbw = (layer.width + 15) / 16;
        int mbh = (layer.height + 15) / 16;
        if (pictures == null || pictures.mbWidth != mbw || pictures.mbHeight != mbh) {
            pictures = new Mp4vVopDecoder(mbw, mbh, quant);
            cur = new Mp4vFrame(mbw, mbh);
            ref = new Mp4vFrame(mbw, mbh);
            haveRef = false;
        }
        vol = layer;
    }

    private void visualObject() {
        if (in.bit() != 0) {
            objectVerid = in.read(4);
            in.skip(3);
        } else {
            objectVerid = 1;
        }
    }

    private void groupOfVops() {
        int hours = in.read(5);
        int minutes = in.read(6);
        in.marker();
        int seconds = in.read(6);
        timeBaseSeconds = hours * 3600L + minutes * 60L + seconds;
    }

    private Mp4vPicture picture() {
        if (vol == null || volDamaged) {
            return haveRef ? conceal("picture without a valid layer header") : null;
        }
        try {
            vop.parse(in, vol);
        } catch (Mp4vDamage e) {
            return conceal("damaged picture header");
        }
        if (vop.type != Mp4vVopHeader.B) {
            timeBaseSeconds += vop.moduloTimeBase;
            lastTime = timeBaseSeconds * vol.timeResolution + vop.timeIncrement;
        }
        if (vol.unsupported != null) {
            return conceal("not supported: " + vol.unsupported);
        }
        if (!vop.coded) {
            return notCoded();
        }
        if (vop.type == Mp4vVopHeader.B || vop.type == Mp4vVopHeader.S) {
            return conceal(vop.type == Mp4vVopHeader.B ? "not supported: B-pictures" : "not supported: sprite pictures");
        }
        boolean noReference = vop.type == Mp4vVopHeader.P && !haveRef;
        if (noReference) {
            ref.fillGrey();
        }
        try {
            pictures.decode(in, vol, vop, cur, ref);
        } catch (RuntimeException e) {
            return conceal("damaged picture data");
        }
        Mp4vFrame done = cur;
        cur = ref;
        ref = done;
        haveRef = true;
        if (noReference) {
            return conceal("predicted picture without a picture to predict from");
        }
        return done.crop(vol.width, vol.height, vop.type == Mp4vVopHeader.I, false, lastTime, vol.timeResolution);
    }

    /**
     * A picture marked not coded repeats the previous one, which simply stays
     * on screen: like FFmpeg's decoder, this hands out no picture for it.
     */
    private Mp4vPicture notCoded() {
        return null;
    }

    private Mp4vPicture conceal(String reason) {
        if (ref == null || vol == null) {
            return null;
        }
        damaged++;
        damageReason = reason;
        if (!haveRef) {
            ref.fillGrey();
            haveRef = true;
        }
        return ref.crop(vol.width, vol.height, false, true, lastTime, vol.timeResolution);
    }
}
