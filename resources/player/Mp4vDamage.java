/**
 * Thrown when a video unit cannot be decoded: a code that is not in its
 * table, a value out of range, or a read past the end of the data. It carries
 * no stack trace, as it only travels up to the decoder, which conceals the
 * picture and carries on.
 */
final class Mp4vDamage extends RuntimeException {

    private static final long serialVersionUID = 1L;

    /** Shared: the exception holds nothing but its fixed message. */
    static final Mp4vDamage INSTANCE = new Mp4vDamage();

    private Mp4vDamage() {
        super("damaged video data", null, false, false);
    }
}
