# Concrete: flat grey with cloudy patches, sand grains and small air holes.
ISL 1
size 256 256
seed 406
background 150 148 142
plasma roughness=55 opacity=40 color1=128,126,120 color2=170,168,162
noise cell=1 opacity=35 color1=120,118,112 color2=186,184,178
points count=140 size=3 vary=40 opacity=80 color1=100,98,94 color2=80,78,74
