package demo;
interface Countable { int count(); }
enum Mode { UP, DOWN }
@interface Marker {}
public class Counter implements Countable {
    private int total;
    public int count() { return total; }
}
