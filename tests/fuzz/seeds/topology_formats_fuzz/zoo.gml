graph [
  directed 1
  multigraph 1
  node [ id 0 label "Z&#252;rich" Longitude 8.5 Latitude 47.3 ]
  node [ id 1 label "Béziers" hyperedge 1 ]
  node [ id "x" ]
  edge [ source 0 target 1 regenerators 2 ]
  edge [ source 1 target 0 ]
  edge [ source 1 target 1 ]
  edge [ source "x" target 0 graphics [ w 1 ] ]
]
