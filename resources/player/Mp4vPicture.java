/**
 * One decoded picture: planar 4:2:0, luma width x height, chroma
 * (width+1)/2 x (height+1)/2, rows top first.
 */
final class Mp4vPicture {
    final int width;
    final int height;
    final byte[] y;
    final byte[] u;
    final byte[] v;
    /** Decoded from an intra picture. */
    final boolean keyFrame;
    /** Concealed: a copy of the previous picture. */
    final boolean damaged;
    /** Display time in ticks of ticksPerSecond. */
    final long timeTicks;
    final int ticksPerSecond;

    Mp4vPicture(int width, int height, byte[] y, byte[] u, byte[] v, boolean keyFrame,
            boolean damaged, long timeTicks, int ticksPerSecond) {
        this.width = width;
        this.height = height;
        this.y = y;
        this.u = u;
        this.v = v;
        this.keyFrame = keyFrame;
        this.damaged = damaged;
        this.timeTicks = timeTicks;
        this.ticksPerSecond = ticksPerSecond;
    }
}
