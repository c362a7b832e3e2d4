$Target = "C:\Velkin"
function Copy-Plugin {
    param([string]$Path)
    Copy-Item $Path $Target
}
