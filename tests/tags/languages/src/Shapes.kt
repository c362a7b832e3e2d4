package geo

const val LIMIT = 10
typealias Size = Int
interface Shape { fun area(): Int }
object Registry { val count = 0 }
class Circle(val radius: Int) : Shape {
    override fun area(): Int = radius
}
